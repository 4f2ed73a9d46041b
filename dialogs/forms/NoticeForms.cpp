#include "NoticeForms.h"

#include "UiServices.h"

namespace forms {

NoticeForm ArmButtonNotice() {
  return {"CArmButtonDialog", "Please 'Arm' a Track...",
          "Please 'Arm' a track before attempting to record.  Simply press the 'Arm' button of any track as "
          "shown in the picture to the right.",
          0, std::nullopt, 0, "arm-button"};
}

NoticeForm DropoutNotice() {
  return {"CDropoutDialog", "Dropout of Audio Playback/Record",
          "A dropout in playback or recording has occured.  Dropouts occur when audio input or output data is "
          "not prepared fast enough by the PC for realtime playback or record.  This is usually due to a lack "
          "of processing power on the PC's part due to other software using processing power and/or RAM or "
          "simply a lack of processing power on the computer's part.  If the problem persists, please contact "
          "us.",
          1339, HyperLink{1338, "Avoiding dropouts", "https://www.tessiro.org/manual/dropouts.html"}, 0, nullptr};
}

NoticeForm MAudioFoundNotice() {
  return {"CMAudioFoundDialog", "M-Audio Device Detected...",
          "An M-Audio I/O device has been detected.  If the \"Multitrack Driver Devices\" setting exixsts for "
          "the M-Audio device make sure it is set to \"Independent\" as shown in the image on the right.  This "
          "will avoid any audio I/O conflict.",
          0, std::nullopt, 0, "multitrack-independent"};
}

NoticeForm NoAudioEditingNotice() {
  return {"CNoAudioEditingExistsDialog", "Audio Editor Empty",
          "The Audio Editor is currently empty.  Click on the hyperlink below to learn how to load audio data "
          "into the Audio Editor.",
          0, HyperLink{1333, "Editing Track View Snippets", "https://www.tessiro.org/manual/start.html#section4"},
          1021, nullptr};
}

NoticeForm NoLoopsNotice() {
  return {"CNoLoopsExistDialog", "Loop Bank is Empty",
          "The Loop Bank is currently empty.  Click on the hyperlink below to learn how to add new loops to "
          "this project.",
          0, HyperLink{1298, "Creating New Audio Loops", "https://www.tessiro.org/manual/start.html#section5"},
          1347, nullptr};
}

const char* CModifiedDialog::Caption() { return "Save Modified Project?"; }

const char* CModifiedDialog::Text() {
  return "The current project has been modified.  Would you like to save the changes?";
}

int CModifiedDialog::OnButton(int id) {
  switch (id) {
    case kIdYes:
      if (save_) save_();
      return ui::kAnswerOk;
    case kIdNo:
      return ui::kAnswerNo;
    default:
      return ui::kAnswerCancel;
  }
}

}  // namespace forms
