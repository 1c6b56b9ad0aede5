#include "main_window/backups.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "i18n/file_messages.h"
#include "main_window/start_logos.h"
#include "support/environment.h"
#include "support/temp_dir.h"

#ifndef _WIN32
#include <unistd.h>
#endif

namespace valdor::main_window {
namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;

// An engine file of 1200 bytes and a per-user file of 300: the backup's first
// eight bytes are the lengths 0x4B0 and 0x12C, little-endian.
const std::string kHeader1200And300 = "\xB0\x04\x00\x00\x2C\x01\x00\x00"s;

// Files as the game and editors leave them: CR LF, a lone LF, bytes beyond
// ASCII, a NUL and an end-of-file mark, no line end after the last line.
const std::string kEngine = "[Engine.Setup]\r\nRender.MeshLoDQuality=high\r\nName=Gr\xF6\xDF" "e\n\r\n\0\x1Atail"s;
const std::string kUserOptions = "[Options.Custom]\r\nTextureQuality=3\r\n\r\n"s;

std::string filler(std::size_t size, char byte) {
  std::string text = "[Section]\r\n";
  text.resize(size, byte);
  return text;
}

// A scratch installation with both files, and the folder backups go to.
struct BackupFixture {
  BackupFixture() {
    paths.engineIni = dir.write("game/Ini/ve3.ini", kEngine);
    paths.userOptionsIni = dir.write("documents/valdor3/UserOptions.ini", kUserOptions);
    fs::create_directories(dir / "backups");
    translator.setLanguage("english");
  }
  std::string files() const { return test::readBytes(paths.engineIni) + "|" + test::readBytes(paths.userOptionsIni); }
  // Every file below the scratch folder, to see that nothing was left behind.
  std::set<fs::path> listing() const {
    std::set<fs::path> found;
    for (const auto& entry : fs::recursive_directory_iterator(dir.path())) found.insert(entry.path());
    return found;
  }

  std::string message(const config::Result& result) const { return i18n::failureMessage(translator, result); }

  test::TempDir dir;
  app::ConfigPaths paths;
  i18n::Translator translator;
};

// ---- format ----

TEST(BackupFormat, LengthsThenTheEngineFileThenThePerUserFile) {
  const std::string engine = filler(1200, 'e');
  const std::string userOptions = filler(300, 'u');
  const auto backup = PackBackup(engine, userOptions);
  ASSERT_TRUE(backup);
  EXPECT_EQ(*backup, kHeader1200And300 + engine + userOptions);
  EXPECT_EQ(backup->size(), 1508u);

  EXPECT_EQ(PackBackup("abc", ""), "\x03\x00\x00\x00\x00\x00\x00\x00" "abc"s);  // empty per-user file
  EXPECT_EQ(UnpackBackup(*backup), (BackupContents{engine, userOptions}));
  EXPECT_EQ(UnpackBackup(*backup + "junk after both files"), (BackupContents{engine, userOptions}));
  EXPECT_EQ(UnpackBackup("\0\0\0\0\0\0\0\0"s), (BackupContents{}));
}

TEST(BackupFormat, ABackupShorterThanItsLengthsIsRefused) {
  for (const std::string& damaged : {
           ""s, "\x03\x00\x00\x00\x00\x00\x00"s,                     // no room for the lengths
           "\x03\x00\x00\x00\x02\x00\x00\x00" "abcd"s,                 // one byte short
           "\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF" "abcd"s,                 // lengths no file can hold
           "\xFF\xFF\xFF\xFF\x09\x00\x00\x00" "abcdefgh"s,             // 8 + N1 + N2 wraps to 16 in 32 bits
           "\x01\x00\x00\x00\xFF\xFF\xFF\xFF" "abcdefgh"s}) {
    EXPECT_EQ(UnpackBackup(damaged), std::nullopt) << damaged.size() << " bytes";
  }
}

TEST(BackupNames, OnlyANameWithoutExtensionGetsVibAndOnlyVibLoads) {
  EXPECT_EQ(BackupTarget("/b/mine"), fs::path("/b/mine.vib"));
  EXPECT_EQ(BackupTarget("/b/old.d/mine"), fs::path("/b/old.d/mine.vib"));
  EXPECT_EQ(BackupTarget("/b/mine.txt"), fs::path("/b/mine.txt"));
  EXPECT_EQ(BackupTarget("/b/MINE.VIB"), fs::path("/b/MINE.VIB"));
  EXPECT_EQ(FileNameExtension("/b/mine.tar.vib"), "vib");
  EXPECT_EQ(FileNameExtension("/b/MINE.VIB"), "VIB");
  EXPECT_EQ(FileNameExtension("/b.d/mine"), "");
}

// ---- creating and loading ----

TEST(Backups, CreateThenLoadLeavesBothFilesByteForByte) {
  BackupFixture f;
  const fs::path backup = f.dir / "backups/mine.vib";
  for (const std::string& userOptions : {kUserOptions, ""s}) {  // an empty per-user file is restored empty
    test::writeBytes(f.paths.userOptionsIni, userOptions);
    ASSERT_TRUE(CreateBackupFile(f.paths, backup).ok());
    EXPECT_EQ(test::readBytes(backup), *PackBackup(kEngine, userOptions));

    test::writeBytes(f.paths.engineIni, "[Engine.Setup]\r\nRender.MeshLoDQuality=normal\r\n");
    test::writeBytes(f.paths.userOptionsIni, "[Options.Custom]\r\nTextureQuality=1\r\n");
    const config::Result loaded = LoadBackupFile(f.paths, backup);
    EXPECT_TRUE(loaded.ok()) << f.message(loaded);
    EXPECT_EQ(f.files(), kEngine + "|" + userOptions);
  }
}

TEST(Backups, CreatingLeavesNoBackupWhenAFileCannotBeReadOrWritten) {
  BackupFixture f;
  const fs::path existing = f.dir.write("backups/old.vib", "an older backup");
  const auto before = f.listing();

  fs::remove(f.paths.userOptionsIni);  // the game has not written it yet
  config::Result result = CreateBackupFile(f.paths, f.dir / "backups/new.vib");
  EXPECT_EQ(result.operation, config::Operation::Read);
  EXPECT_EQ(f.message(result),
            "Could not read\n" + f.paths.userOptionsIni.string() + "\n\nThe file does not exist.");
  EXPECT_EQ(CreateBackupFile(f.paths, existing).operation, config::Operation::Read);
  EXPECT_EQ(test::readBytes(existing), "an older backup");
  test::writeBytes(f.paths.userOptionsIni, kUserOptions);

  result = CreateBackupFile(f.paths, f.dir / "nowhere/new.vib");
  EXPECT_EQ(result.operation, config::Operation::Write);
  EXPECT_EQ(f.message(result),
            "Could not save\n" + (f.dir / "nowhere/new.vib").string() + "\n\nThe folder does not exist.");

  fs::permissions(existing, fs::perms::owner_read);
  result = CreateBackupFile(f.paths, existing);
  EXPECT_EQ(result.failure, config::Failure::ReadOnly);
  EXPECT_EQ(test::readBytes(existing), "an older backup");
  EXPECT_EQ(f.listing(), before);
}

TEST(Backups, LoadingRefusesWrongNamesAndDamagedBackupsWritingNothing) {
  BackupFixture f;
  const std::string good = *PackBackup("[Engine.Setup]\r\n", "[Options.Custom]\r\n");
  const std::vector<fs::path> refused{
      f.dir.write("backups/mine.txt", good),
      f.dir.write("backups/MINE.VIB", good),
      f.dir.write("backups/mine", good),
      f.dir.write("backups/short.vib", good.substr(0, good.size() - 1)),
      f.dir.write("backups/huge.vib", "\xFF\xFF\xFF\xFF\x09\x00\x00\x00" "abcdefgh"s),
  };
  const auto before = f.listing();
  for (const fs::path& backup : refused) {
    const config::Result result = LoadBackupFile(f.paths, backup);
    EXPECT_EQ(result.failure, config::Failure::InvalidFile) << backup;
    EXPECT_EQ(f.message(result), "Invalid file!");
  }
  const config::Result missing = LoadBackupFile(f.paths, f.dir / "backups/gone.vib");
  EXPECT_EQ(f.message(missing),
            "Could not read\n" + (f.dir / "backups/gone.vib").string() + "\n\nThe file does not exist.");
  EXPECT_EQ(f.files(), kEngine + "|" + kUserOptions);
  EXPECT_EQ(f.listing(), before);
}

TEST(Backups, LoadingRefusesAPipeAndABackupLargerThanTwoReadableFiles) {
  BackupFixture f;
#ifndef _WIN32  // Windows has no named pipes among the files of a folder
  const fs::path pipe = f.dir / "backups/pipe.vib";
  ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);  // opening it for reading must not wait for a writer
  EXPECT_EQ(LoadBackupFile(f.paths, pipe).failure, config::Failure::NotARegularFile);
#endif

  const fs::path big = f.dir.write("backups/big.vib", *PackBackup("a", "b"));
  fs::resize_file(big, 8 + 2 * config::kMaxFileSize + 1);  // sparse
  const config::Result result = LoadBackupFile(f.paths, big);
  EXPECT_EQ(result.failure, config::Failure::TooLarge);
  EXPECT_EQ(f.message(result), "Could not read\n" + big.string() + "\n\nThe file is too large.");
  EXPECT_EQ(f.files(), kEngine + "|" + kUserOptions);
}

TEST(Backups, LoadingWritesBothFilesOrNeither) {
  BackupFixture f;
  const fs::path backup = f.dir.write("backups/b.vib", *PackBackup("engine from backup", "user from backup"));
  const auto before = f.listing();
  auto refusedWith = [&](config::Failure error, const fs::path& named, const app::ConfigPaths& paths) {
    const config::Result result = LoadBackupFile(paths, backup);
    EXPECT_EQ(result.operation, config::Operation::Write);
    EXPECT_EQ(result.failure, error);
    EXPECT_EQ(result.where, valdor::config::pathText(named));
    EXPECT_EQ(f.files(), kEngine + "|" + kUserOptions);
    EXPECT_EQ(f.listing(), before);  // no temporary file left beside either
  };

  fs::permissions(f.paths.userOptionsIni, fs::perms::owner_read);  // second file read-only
  refusedWith(config::Failure::ReadOnly, f.paths.userOptionsIni, f.paths);
  fs::permissions(f.paths.userOptionsIni, fs::perms::owner_write, fs::perm_options::add);

  fs::permissions(f.paths.engineIni, fs::perms::owner_read);  // first file read-only
  refusedWith(config::Failure::ReadOnly, f.paths.engineIni, f.paths);
  fs::permissions(f.paths.engineIni, fs::perms::owner_write, fs::perm_options::add);

#ifndef _WIN32
  if (geteuid() != 0) {  // root writes into any folder
    const fs::path folder = f.paths.userOptionsIni.parent_path();
    fs::permissions(folder, fs::perms::owner_read | fs::perms::owner_exec);
    refusedWith(config::Failure::AccessDenied, f.paths.userOptionsIni, f.paths);
    fs::permissions(folder, fs::perms::owner_all);
  }
#endif

  app::ConfigPaths noDocuments = f.paths;  // the per-user folder was never made
  noDocuments.userOptionsIni = f.dir / "no documents/valdor3/UserOptions.ini";
  refusedWith(config::Failure::FolderMissing, noDocuments.userOptionsIni, noDocuments);

  ASSERT_TRUE(LoadBackupFile(f.paths, backup).ok());
  EXPECT_EQ(f.files(), "engine from backup|user from backup");
}

// ---- never over an edited file ----

TEST(Backups, CreatingRefusesEveryEditedFileHoweverItIsNamedAndWritesNothing) {
  BackupFixture f;
  f.paths.debugIni = f.dir.write("game/Ini/debug.ini", "[Debug]\r\n");
  const fs::path logo = f.dir.write("game/Ini/logo.ini", kFirstStartLogo);
  const auto before = f.listing();
  const std::string backups = (f.dir / "backups").string();
  for (const fs::path& edited : {f.paths.engineIni, f.paths.debugIni, f.paths.userOptionsIni, logo}) {
    const std::string bytes = test::readBytes(edited);
    std::vector<fs::path> names{edited, edited.parent_path() / ".." / edited.parent_path().filename() / edited.filename()};
#ifndef _WIN32
    const fs::path symlink = f.dir / "backups/soft.vib";
    const fs::path hardLink = f.dir / "backups/hard.vib";
    fs::create_symlink(edited, symlink);
    fs::create_hard_link(edited, hardLink);
    names.push_back(symlink);
    names.push_back(hardLink);
#endif
    for (const fs::path& target : names) {
      for (auto existing : {ExistingBackup::Replace, ExistingBackup::Keep}) {
        const config::Result result = CreateBackupFile(f.paths, target, existing);
        EXPECT_EQ(result.failure, config::Failure::EditedFile) << target;
        EXPECT_EQ(f.message(result), "Could not save\n" + target.string() +
                                         "\n\nThis is one of the files this program edits. A backup there would "
                                         "overwrite it; choose another file.");
        EXPECT_EQ(EditedFileAt(f.paths, target), edited) << target;
      }
      EXPECT_EQ(test::readBytes(edited), bytes) << target;
    }
#ifndef _WIN32
    fs::remove(symlink);
    fs::remove(hardLink);
#endif
  }
  EXPECT_EQ(f.listing(), before);
}

TEST(Backups, ALinkToAnEditedFileNotWrittenYetIsRefusedToo) {
  VALDOR_SKIP_ON_WINDOWS("creates symbolic links, which need extra rights on Windows");
#ifndef _WIN32
  BackupFixture f;
  f.paths.debugIni = f.dir / "game/Ini/debug.ini";  // the game has not written it
  const fs::path link = f.dir / "backups/dangling.vib";
  fs::create_symlink(f.paths.debugIni, link);
  EXPECT_EQ(CreateBackupFile(f.paths, link).failure, config::Failure::EditedFile);
  EXPECT_FALSE(fs::exists(f.paths.debugIni));

  const fs::path other = f.dir / "backups/other.vib";  // a link to a new file elsewhere is a backup like any
  fs::create_symlink(f.dir / "backups/real.vib", other);
  EXPECT_EQ(EditedFileAt(f.paths, other), std::nullopt);
  EXPECT_TRUE(CreateBackupFile(f.paths, other).ok());
  EXPECT_EQ(test::readBytes(f.dir / "backups/real.vib"), *PackBackup(kEngine, kUserOptions));
#endif
}

TEST(Backups, AnExistingBackupIsReplacedOnlyWhenAsked) {
  BackupFixture f;
  const fs::path existing = f.dir.write("backups/old.vib", "an older backup");
  const config::Result kept = CreateBackupFile(f.paths, existing, ExistingBackup::Keep);
  EXPECT_EQ(kept.failure, config::Failure::AlreadyExists);
  EXPECT_EQ(f.message(kept), "Could not save\n" + existing.string() +
                                 "\n\nThe file already exists. Choose another name, or replace it with --force.");
  EXPECT_EQ(test::readBytes(existing), "an older backup");

  EXPECT_TRUE(CreateBackupFile(f.paths, f.dir / "backups/new.vib", ExistingBackup::Keep).ok());
  EXPECT_TRUE(CreateBackupFile(f.paths, existing, ExistingBackup::Replace).ok());
  EXPECT_EQ(test::readBytes(existing), *PackBackup(kEngine, kUserOptions));
}

TEST(BackupFormat, ABackupOverTheSizeLimitIsRefused) {
  // Two INI files of the largest size the tool reads, behind the header.
  const std::string big(2 * config::kMaxFileSize, 'x');
  const auto packed = PackBackup(big, "");
  ASSERT_TRUE(packed);
  EXPECT_TRUE(UnpackBackup(*packed));
  EXPECT_EQ(UnpackBackup(*packed + "x"), std::nullopt);
}

}  // namespace
}  // namespace valdor::main_window
