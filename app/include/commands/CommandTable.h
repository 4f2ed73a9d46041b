// The command map: every command id the menus, tool bars and keys carry, with
// its update rule and the core operation it runs, and the private messages the
// skinned buttons and modeless windows post. The router (CommandRouter.h) is
// filled from these tables; an entry whose operation is not there runs
// nothing and shows disabled. Commands that need a window of their own (About,
// Help, Enter) are the front end's to route.
//
// Threads: user-interface thread only.
#pragma once

#include <cstdint>
#include <vector>

class CCommandRouter;
class CProApp;

namespace commands {

// When a command may run; the menus and tool bars show it disabled otherwise.
enum class Rule : uint8_t {
  kAlways,
  kNotPlaying,
  kNotRecording,
  // Not while playing, nor while the Audio Editor holds nothing.
  kEditorAudio,
  // Paste Insert: not while playing; an empty editor takes the clipboard whole.
  kEditorPaste,
};

using Handler = void (*)(CProApp& app);
using MessageHandler = void (*)(CProApp& app, int64_t wParam, int64_t lParam);

struct CommandEntry {
  int id;
  const char* name;
  Rule rule;
  Handler run;  // null while the operation is missing: the command is disabled
};

struct MessageEntry {
  uint32_t message;
  const char* name;
  MessageHandler run;  // null while the operation is missing: the message is dropped
};

// Ids the keys and menus carry that no handler takes.
constexpr int kCloseCommand = 32934;
// The front end's own commands.
constexpr int kAboutCommand = 57664;
constexpr int kHelpCommand = 32921;
constexpr int kEnterCommand = 32889;
// The Track View menu's Insert Loop entries: loop number = id - kFirstLoopCommand.
constexpr int kFirstLoopCommand = 55100;
constexpr int kLastLoopCommand = 55131;

const std::vector<CommandEntry>& CommandTable();
const std::vector<MessageEntry>& MessageTable();
// The entry of an id; null for an id the map does not hold.
const CommandEntry* FindCommand(int id);
bool RuleAllows(Rule rule, const CProApp& app);
// The rule of the Insert Loop entries.
constexpr Rule kLoopCommandRule = Rule::kNotPlaying;

// Routes every command and message whose operation exists, each behind its
// rule; while an edit runs nothing runs (its progress window lets events through).
void RegisterCommandMap(CCommandRouter& router, CProApp& app);

}  // namespace commands
