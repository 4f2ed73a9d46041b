// The application's operations the Track View calls: the play position, the
// project tempo and pitch, the refusal during playback and the commands of
// its context menu. Kept in one place, so the Track View calls the core's
// own operations through here alone.
#pragma once

#include <cstdint>

class CProApp;

namespace trackview {

void SetPlayPosition(CProApp& app, uint32_t frames);
// Refused during playback; the tempo is kept to 50..250 and 90 minutes, the
// pitch to -12..+12.
void SetProjectTempo(CProApp& app, float bpm);
void SetProjectPitch(CProApp& app, float semitones);
// True (after telling the user) while the project plays.
bool RefuseDuringPlayback(CProApp& app);
// A command of the Track View's context menu (its command id), run by the core.
void RunMenuCommand(CProApp& app, int commandId);

}  // namespace trackview
