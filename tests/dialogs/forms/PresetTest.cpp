// Presets: the built-ins, the user's ".prt" files byte for byte, and files that
// are cut, damaged or too long.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <functional>
#include <fstream>
#include <iterator>

#include "ByteFields.h"
#include "EffectPanels.h"
#include "OperationDialogs.h"
#include "TempFolder.h"

using namespace forms;
using tessiro::test::CTempFolder;

namespace {

std::vector<uint8_t> ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void WriteAll(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                              static_cast<std::streamsize>(bytes.size()));
}

// A sound record of `key` named name, the rest zero.
std::vector<uint8_t> Record(const std::string& key, const std::string& name) {
  std::vector<uint8_t> bytes(PresetRecordBytes(key), 0);
  std::copy(name.begin(), name.end(), bytes.begin());
  if (key == "pitch_shift") bytes[148] = bytes[152] = 1;
  return bytes;
}

template <class Form>
struct Opened {
  Form form;
  std::vector<std::string> told;
  explicit Opened(const std::string& folder) {
    form.SetPresetFolder(folder);
    form.SetInform([this](const std::string& text) { told.push_back(text); });
    form.InitDialog();
  }
};

}  // namespace

TEST(Presets, RecordSizesAndBuiltInsOfEveryKind) {
  struct Case {
    const char* key;
    size_t bytes;
    std::vector<std::string> builtIns;
  };
  CTempFolder folder;
  Opened<CEchoDialog> echo(folder.Path());
  Opened<CReverbDialog> reverb(folder.Path());
  Opened<CChorusDialog> chorus(folder.Path());
  Opened<CFlangeDialog> flange(folder.Path());
  Opened<CEqualizerDialog> eq(folder.Path());
  Opened<CFadeDialog> fade(folder.Path());
  Opened<CPitchShiftDialog> pitch(folder.Path());
  Opened<CStretchCompressDialog> stretch(folder.Path());
  const std::vector<std::pair<const CFXDialog*, Case>> cases = {
      {&reverb.form, {"reverb", 188, {"Typical Reverb", "Large Cathedral", "Small Room", "The Abyss", "Robotic Effect"}}},
      {&fade.form, {"fade", 168, {"Fade Out - Logarithmic", "Fade Out - Linear", "Fade In - Logarithmic",
                                  "Fade In - Linear", "Pan Left to Right", "Pan Right to Left"}}},
      {&pitch.form, {"pitch_shift", 156, {"Decrease by One Tone", "Increase by One Tone", "Low to High", "High to Low"}}},
      {&stretch.form, {"stretch_compress", 140, {"Speed Up 25%", "Slow Down 25%", "Fast to Slow", "Slow to Fast"}}},
      {&echo.form, {"echo", 180, {"Typical Echo", "Canyon Echo", "Small Room", "Auditorium", "Crystalized"}}},
      {&flange.form, {"flange", 196, {"Typical Flange", "Drum Beat Flange", "Warped Effect", "Expansive Effect",
                                      "Fake Tremolo"}}},
      {&chorus.form, {"chorus", 196, {"Typical Chorus", "Doubler Effect", "Expansive Chours", "Up and Down",
                                      "Distant Chorus"}}},
      {&eq.form, {"equalizer", 296, {"Flat - No Change", "Bass Boost", "Bass Cut", "Low Pass Filter",
                                     "High Pass Filter", "Telephone Effect"}}},
  };
  for (const auto& [form, c] : cases) {
    EXPECT_EQ(form->PresetKey(), c.key);
    EXPECT_EQ(PresetRecordBytes(c.key), c.bytes) << c.key;
    EXPECT_EQ(form->PresetNames(), c.builtIns) << c.key;
    EXPECT_EQ(form->BuiltInCount(), static_cast<int>(c.builtIns.size()));
  }
  EXPECT_EQ(PresetRecordBytes("levels"), 0u);
}

TEST(Presets, AddedEchoPresetIsWrittenFieldByFieldAndComesBack) {
  CTempFolder folder;
  {
    Opened<CEchoDialog> echo(folder.Path());
    echo.form.Select(id::kUnits, 1);
    echo.form.Commit(1163, "50");
    echo.form.Select(id::kUnits, 0);
    echo.form.Commit(1178, "-4");
    echo.form.Commit(1182, "275.5");
    echo.form.Commit(1199, "33");
    echo.form.OnAddPreset("My Echo");
    EXPECT_TRUE(echo.told.empty());
    EXPECT_EQ(echo.form.Text(id::kPresetName), "");
  }
  const std::vector<uint8_t> bytes = ReadAll(folder / "echo.prt");
  ASSERT_EQ(bytes.size(), 180u);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(bytes.data())), "My Echo");
  EXPECT_TRUE(std::all_of(bytes.begin() + 7, bytes.begin() + 128, [](uint8_t b) { return b == 0; }));
  EXPECT_EQ(bytes::GetI32(&bytes[128]), 1);
  EXPECT_NEAR(bytes::GetF32(&bytes[132]), 50.0f, 1e-3f);
  EXPECT_NEAR(bytes::GetF32(&bytes[136]), 50.0f, 1e-3f);
  EXPECT_EQ(bytes::GetI32(&bytes[140]), 1);
  EXPECT_EQ(bytes::GetI32(&bytes[144]), 1);
  EXPECT_FLOAT_EQ(bytes::GetF32(&bytes[148]), -4.0f);
  EXPECT_FLOAT_EQ(bytes::GetF32(&bytes[152]), -4.0f);
  EXPECT_EQ(bytes::GetI32(&bytes[156]), 0);
  EXPECT_EQ(bytes::GetI32(&bytes[160]), 0);
  EXPECT_FLOAT_EQ(bytes::GetF32(&bytes[164]), 275.5f) << "delays are kept too";
  EXPECT_FLOAT_EQ(bytes::GetF32(&bytes[168]), 275.5f);
  EXPECT_FLOAT_EQ(bytes::GetF32(&bytes[172]), 33.0f);
  EXPECT_FLOAT_EQ(bytes::GetF32(&bytes[176]), 33.0f);

  Opened<CEchoDialog> again(folder.Path());
  ASSERT_EQ(again.form.PresetNames().size(), 6u);
  EXPECT_EQ(again.form.PresetNames().back(), "My Echo");
  again.form.OnApplyPreset(0);
  EXPECT_EQ(again.form.Text(1182), "300.00");
  again.form.OnApplyPreset(5);
  EXPECT_EQ(again.form.Text(1163), "-6.02");
  EXPECT_EQ(again.form.Text(1179), "-4.00");
  EXPECT_EQ(again.form.Text(1183), "275.50");
  EXPECT_EQ(again.form.Text(1198), "33.00");
}

TEST(Presets, PitchAndEqualizerTailsRoundTrip) {
  CTempFolder folder;
  {
    Opened<CPitchShiftDialog> pitch(folder.Path());
    pitch.form.OnApplyPreset(2);  // "Low to High": ratios 0.75 and 1.25
    EXPECT_FALSE(pitch.form.Checked(id::kSame));
    pitch.form.OnAddPreset("Mine");
    Opened<CEqualizerDialog> eq(folder.Path());
    eq.form.OnApplyPreset(1);  // "Bass Boost"
    eq.form.Check(id::kLock, false);
    eq.form.Select(id::kUnits, 1);
    eq.form.Commit(CEqualizerDialog::kRightEdits[9], "50");
    eq.form.OnAddPreset("Tilt");
  }
  const std::vector<uint8_t> p = ReadAll(folder / "pitch_shift.prt");
  ASSERT_EQ(p.size(), 156u);
  EXPECT_EQ(bytes::GetI32(&p[128]), 0);
  EXPECT_FLOAT_EQ(bytes::GetF32(&p[136]), 0.75f);
  EXPECT_FLOAT_EQ(bytes::GetF32(&p[144]), 1.25f);
  EXPECT_EQ(bytes::GetI32(&p[148]), 2);
  EXPECT_EQ(bytes::GetI32(&p[152]), 2);
  const std::vector<uint8_t> e = ReadAll(folder / "equalizer.prt");
  ASSERT_EQ(e.size(), 296u);
  EXPECT_FLOAT_EQ(bytes::GetF32(&e[136 + 4]), 7.5f);
  EXPECT_FLOAT_EQ(bytes::GetF32(&e[176 + 4]), 7.5f);
  EXPECT_NEAR(bytes::GetF32(&e[176 + 36]), 50.0f, 1e-3f);
  EXPECT_EQ(bytes::GetI32(&e[256 + 36]), 1);
  EXPECT_EQ(bytes::GetI32(&e[216 + 36]), 0) << "the left band was not touched";

  Opened<CPitchShiftDialog> pitch(folder.Path());
  pitch.form.OnApplyPreset(4);
  OperationDialogValues v;
  pitch.form.GetParameters(&v);
  EXPECT_NEAR(v.initialValue, 1 / 0.75f, 1e-6f);
  EXPECT_NEAR(v.finalValue, 1 / 1.25f, 1e-6f);
}

TEST(Presets, AddAndRemoveRefuseWhatTheyMust) {
  CTempFolder folder;
  Opened<CFadeDialog> fade(folder.Path());
  fade.form.OnAddPreset("");
  fade.form.OnRemovePreset(0);
  EXPECT_EQ(fade.told, (std::vector<std::string>{"You must enter a preset name.",
                                                 "Sorry, this is a default preset.  Cannot delete."}));
  for (int i = 0; i < 58; ++i) fade.form.OnAddPreset(std::string("P").append(std::to_string(i)));
  EXPECT_EQ(fade.form.PresetNames().size(), 64u);
  fade.told.clear();
  fade.form.OnAddPreset("one too many");
  EXPECT_EQ(fade.told, std::vector<std::string>{"Sorry, you've enetered the maximum number of presets."});
  EXPECT_EQ(ReadAll(folder / "fade.prt").size(), 58u * 168);

  fade.form.OnRemovePreset(6);  // the first user preset
  ASSERT_EQ(fade.form.PresetNames().size(), 63u);
  EXPECT_EQ(fade.form.PresetNames()[6], "P1");
  const std::vector<uint8_t> file = ReadAll(folder / "fade.prt");
  ASSERT_EQ(file.size(), 57u * 168);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(&file[0])), "P1");
  fade.form.OnRemovePreset(-1);
  EXPECT_EQ(ReadAll(folder / "fade.prt").size(), 57u * 168) << "no selection removes nothing";
}

// A name longer than its field keeps whole characters only, and what is kept
// is what the next opening lists.
TEST(Presets, ALongNameIsCutBetweenCharacters) {
  struct Case {
    std::string typed;
    std::string kept;
  };
  const std::string euro = "\xE2\x82\xAC";  // three bytes
  std::string euros;
  for (int i = 0; i < 42; ++i) euros += euro;  // 126 bytes
  const Case cases[] = {
      {std::string(300, 'n'), std::string(127, 'n')},
      {std::string(127, 'n'), std::string(127, 'n')},
      {euros + euro, euros},                              // the 43rd would end at 129
      {"a" + euros + euro, "a" + euros},                  // 127 bytes fit
      {"ab" + euros, "ab" + euros.substr(0, 123)},        // one byte over: the last one goes
      {std::string(126, 'n') + "\xC3\xA9", std::string(126, 'n')},
      {std::string(125, 'n') + "\xC3\xA9", std::string(125, 'n') + "\xC3\xA9"},
      {std::string(124, 'n') + "\xF0\x9F\x8E\xB5", std::string(124, 'n')},
      {std::string(123, 'n') + "\xF0\x9F\x8E\xB5", std::string(123, 'n') + "\xF0\x9F\x8E\xB5"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.typed.size());
    CTempFolder folder;
    {
      Opened<CFadeDialog> fade(folder.Path());
      fade.form.OnAddPreset(c.typed);
      EXPECT_EQ(fade.form.PresetNames().back(), c.kept);
    }
    Opened<CFadeDialog> again(folder.Path());
    EXPECT_EQ(again.form.PresetNames().back(), c.kept);
    EXPECT_TRUE(again.told.empty());
  }
}

TEST(Presets, DamagedFilesLoadTheirSoundRecordsAndStayUntilTheUserSaves) {
  struct Case {
    const char* name;
    std::vector<uint8_t> bytes;
    size_t loaded;  // user presets
    bool told;
  };
  std::vector<uint8_t> two = Record("stretch_compress", "A");
  const std::vector<uint8_t> b = Record("stretch_compress", "B");
  two.insert(two.end(), b.begin(), b.end());
  std::vector<uint8_t> cut = two;
  cut.resize(140 + 100);
  std::vector<uint8_t> nan = two;
  bytes::PutF32(&nan[140 + 132], std::nanf(""));
  std::vector<uint8_t> badFlag = two;
  bytes::PutI32(&badFlag[128], 7);
  std::vector<uint8_t> noNul = two;
  std::fill(noNul.begin(), noNul.begin() + 128, 'x');
  std::vector<uint8_t> many;
  for (int i = 0; i < 70; ++i) {
    const std::vector<uint8_t> r = Record("stretch_compress", std::string("R").append(std::to_string(i)));
    many.insert(many.end(), r.begin(), r.end());
  }
  const std::vector<Case> cases = {
      {"whole", two, 2, false},          {"cut", cut, 1, true},        {"not a number", nan, 1, true},
      {"flag out of range", badFlag, 1, true}, {"name without end", noNul, 2, false},
      {"too many", many, 60, true},      {"empty", {}, 0, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CTempFolder folder;
    WriteAll(folder / "stretch_compress.prt", c.bytes);
    Opened<CStretchCompressDialog> stretch(folder.Path());
    EXPECT_EQ(stretch.form.PresetNames().size(), 4 + c.loaded);
    ASSERT_EQ(stretch.told.size(), c.told ? 1u : 0u);
    if (c.told) {
      EXPECT_NE(stretch.told[0].find(folder / "stretch_compress.prt"), std::string::npos);
    }
    if (std::string(c.name) == "name without end") {
      EXPECT_EQ(stretch.form.PresetNames()[4], std::string(127, 'x'));
    }
    stretch.form.OnApplyPreset(static_cast<int>(stretch.form.PresetNames().size()) - 1);
    EXPECT_EQ(ReadAll(folder / "stretch_compress.prt"), c.bytes) << "opening and applying never rewrite";
  }
}

// Whatever stands under a preset file's name, the dialog opens with its
// built-ins and the records it could read, and says once that the rest were not.
TEST(Presets, NamesThatHoldNoReadablePresetFileAreRefusedWithOneMessage) {
  struct Case {
    const char* name;
    std::function<void(const std::string& path)> make;
    size_t loaded;
  };
  const std::vector<uint8_t> a = Record("echo", "A");
  const Case cases[] = {
      {"a folder", [](const std::string& path) { ASSERT_EQ(::mkdir(path.c_str(), 0700), 0); }, 0},
      {"a FIFO", [](const std::string& path) { ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0); }, 0},
      {"a link to /dev/zero", [](const std::string& path) { ASSERT_EQ(::symlink("/dev/zero", path.c_str()), 0); }, 0},
      {"a file without read permission",
       [&a](const std::string& path) {
         WriteAll(path, a);
         ASSERT_EQ(::chmod(path.c_str(), 0200), 0);
       },
       0},
      {"50 MB", [&a](const std::string& path) {
         std::vector<uint8_t> bytes(50u << 20, 0xFF);
         std::copy(a.begin(), a.end(), bytes.begin());
         WriteAll(path, bytes);
       }, 1},
      {"a record and a half", [&a](const std::string& path) {
         std::vector<uint8_t> bytes = a;
         bytes.insert(bytes.end(), a.begin(), a.begin() + 90);
         WriteAll(path, bytes);
       }, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CTempFolder folder;
    const std::string path = folder / "echo.prt";
    c.make(path);
    if (::geteuid() == 0 && std::string(c.name) == "a file without read permission") continue;
    Opened<CEchoDialog> echo(folder.Path());
    EXPECT_EQ(echo.form.PresetNames().size(), 5 + c.loaded);
    if (c.loaded) {
      EXPECT_EQ(echo.form.PresetNames()[5], "A");
    }
    ASSERT_EQ(echo.told.size(), 1u);
    EXPECT_EQ(echo.told[0], "Some presets in " + path +
                                " could not be read; they are left out, and the file is kept as it is until you add "
                                "or remove a preset.");
  }
}

TEST(Presets, PitchesFromADamagedFileStayPitchesTheShifterCanTake) {
  struct Case {
    int32_t kind;
    float value;
    float factor;  // what GetParameters gives
  };
  const Case cases[] = {{2, -1.0f, 4.0f}, {2, 0.0f, 4.0f}, {2, 100.0f, 0.25f}, {1, 1000.0f, 0.25f},
                        {1, std::nanf(""), 1.0f}, {2, 1.5f, 1 / 1.5f}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.value);
    CTempFolder folder;
    std::vector<uint8_t> record = Record("pitch_shift", "Odd");
    bytes::PutF32(&record[c.kind == 2 ? 136 : 132], c.value);
    bytes::PutI32(&record[148], c.kind);
    WriteAll(folder / "pitch_shift.prt", record);
    Opened<CPitchShiftDialog> pitch(folder.Path());
    ASSERT_EQ(pitch.form.PresetNames().size(), 5u);
    pitch.form.OnApplyPreset(4);
    OperationDialogValues v;
    pitch.form.GetParameters(&v);
    EXPECT_NEAR(v.initialValue, c.factor, c.factor * 1e-5f);
    EXPECT_FLOAT_EQ(v.finalValue, 1.0f);
  }
}

TEST(Presets, AFileThatCannotBeWrittenIsSaidAndTheOldOneKept) {
  CTempFolder folder;
  Opened<CFadeDialog> fade(folder / "missing");
  fade.form.OnAddPreset("Mine");
  ASSERT_EQ(fade.told.size(), 1u);
  EXPECT_EQ(fade.told[0], "Failed to open Preset File for write: " + folder / "missing/fade.prt" + "\n");
}
