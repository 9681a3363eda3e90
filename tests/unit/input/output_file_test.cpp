// The one writer of outputs: what it does depends on what the path is, and
// no output may name an input or another output.

#include "input/output_file.hpp"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <locale>
#include <string>
#include <thread>
#include <vector>

#include "support/temp_files.hpp"

namespace parmix {
namespace {

namespace fs = std::filesystem;
using test::readFile;
using test::TempDir;

std::vector<std::string> namesIn(const TempDir& dir) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(dir.path()))
    names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

void writeWhole(const std::string& path, const std::string& text) {
  OutputFile file(path, "table file");
  file.write(text);
  file.commit();
}

TEST(OutputFile, ARegularFileOrANewPathTakesTheTextOnlyWhenCommitted) {
  TempDir dir;
  const std::string earlier = dir.write("kept.txt", "earlier\n");
  ::chmod(earlier.c_str(), 0640);
  {
    OutputFile file(earlier);
    file.write("later\n");
    EXPECT_EQ(readFile(earlier), "earlier\n");
  }  // never committed: the temporary file goes
  EXPECT_EQ(readFile(earlier), "earlier\n");
  EXPECT_EQ(namesIn(dir), std::vector<std::string>{"kept.txt"});
  writeWhole(earlier, "later\n");
  writeWhole(dir.file("new.txt"), std::string(3 << 20, 'x'));  // past the buffer
  EXPECT_EQ(readFile(earlier), "later\n");
  EXPECT_EQ(readFile(dir.file("new.txt")).size(), 3u << 20);
  struct stat st {};
  ::stat(earlier.c_str(), &st);
  EXPECT_EQ(st.st_mode & 0777, 0640u);  // the file replaced keeps its permissions
  EXPECT_EQ(namesIn(dir), (std::vector<std::string>{"kept.txt", "new.txt"}));
}

// A stream onto the file writes what it is given, in the classic locale,
// pieces and single characters alike, and only a commit makes it the file.
TEST(OutputFile, AStreamOntoItWritesThroughItsBufferAndCommitsAsTheFile) {
  TempDir dir;
  const std::string path = dir.write("table.tsv", "earlier\n");
  std::string expected;
  {
    OutputFile file(path, "table file");
    OutputStream out(file);
    for (int row = 0; row < 200000; ++row) {
      out << "L" << row << '\t' << 0.5 + row << '\n';
      expected += "L" + std::to_string(row) + "\t" + std::to_string(row) + ".5\n";
    }
    ASSERT_TRUE(out.good());
    EXPECT_EQ(readFile(path), "earlier\n");
  }  // never committed
  EXPECT_EQ(readFile(path), "earlier\n");
  EXPECT_EQ(namesIn(dir), std::vector<std::string>{"table.tsv"});
  OutputFile file(path, "table file");
  OutputStream out(file);
  for (std::size_t at = 0; at < expected.size(); at += 4096) out << expected.substr(at, 4096);
  file.commit();
  EXPECT_EQ(readFile(path), expected);
}

TEST(OutputFile, ALinkChainIsFollowedAndStaysALink) {
  TempDir dir;
  fs::create_directory(dir.file("shared"));
  const std::string target = dir.write("shared/report.tsv", "stale\n");
  fs::create_symlink("shared/report.tsv", dir.file("first"));
  fs::create_symlink("first", dir.file("second"));
  fs::create_symlink("shared/new.tsv", dir.file("dangling"));
  writeWhole(dir.file("second"), "fresh\n");
  writeWhole(dir.file("dangling"), "made\n");
  EXPECT_TRUE(fs::is_symlink(dir.file("first")));
  EXPECT_TRUE(fs::is_symlink(dir.file("second")));
  EXPECT_TRUE(fs::is_symlink(dir.file("dangling")));
  EXPECT_EQ(readFile(target), "fresh\n");
  EXPECT_EQ(readFile(dir.file("shared/new.tsv")), "made\n");
  fs::create_symlink("loop", dir.file("loop"));
  EXPECT_THROW(OutputFile(dir.file("loop")), InputError);
}

TEST(OutputFile, AFifoIsWrittenStraightThroughInOrder) {
  TempDir dir;
  const std::string fifo = dir.file("pipe");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  std::string received;
  std::thread reader([&] {
    std::ifstream in(fifo, std::ios::binary);
    received.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  });
  std::string text;
  for (int k = 0; k < 200000; ++k) text += std::to_string(k) + '\n';
  writeWhole(fifo, text);
  reader.join();
  EXPECT_EQ(received, text);
  EXPECT_EQ(outputKind(fifo), OutputKind::kStream);
  EXPECT_TRUE(fs::is_fifo(fifo));
}

TEST(OutputFile, AFileReachedThroughADescriptorIsAppendedToNotReplaced) {
  TempDir dir;
  const std::string path = dir.write("stdout.txt", "");
  const int fd = ::open(path.c_str(), O_WRONLY | O_APPEND);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(::write(fd, "before\n", 7), 7);
  struct stat before {};
  ::stat(path.c_str(), &before);
  const std::string viaDescriptor = "/proc/self/fd/" + std::to_string(fd);
  fs::create_symlink(viaDescriptor, dir.file("out"));  // as /dev/stdout is
  EXPECT_EQ(outputKind(dir.file("out")), OutputKind::kStream);
  writeWhole(dir.file("out"), "table\n");
  ASSERT_EQ(::write(fd, "after\n", 6), 6);
  ::close(fd);
  struct stat after {};
  ::stat(path.c_str(), &after);
  EXPECT_EQ(after.st_ino, before.st_ino);
  EXPECT_EQ(readFile(path), "before\ntable\nafter\n");
}

// A null device of the test's own (never the machine's /dev/null), where
// the test may make one.
TEST(OutputFile, ADeviceIsWrittenAndStaysADevice) {
  TempDir dir;
  const std::string null = dir.file("null");
  if (::mknod(null.c_str(), S_IFCHR | 0666, makedev(1, 3)) != 0)
    GTEST_SKIP() << "no device node may be made here";
  writeWhole(null, "gone\n");
  EXPECT_TRUE(fs::is_character_file(null));
  EXPECT_EQ(namesIn(dir), std::vector<std::string>{"null"});
}

TEST(OutputFile, AFullDeviceFailsTheWriteWithItsReason) {
  if (!fs::is_character_file("/dev/full")) GTEST_SKIP() << "no /dev/full";
  // /dev/full is only written, never replaced: it is a device.
  OutputFile file("/dev/full", "table file");
  file.write("text\n");
  try {
    file.commit();
    FAIL() << "a write to /dev/full succeeded";
  } catch (const InputError& error) {
    EXPECT_EQ(std::string(error.what()),
              "The table file /dev/full could not be written completely: No space left on "
              "device.");
  }
}

TEST(OutputFile, AFolderOrAMissingFolderIsRefused) {
  TempDir dir;
  fs::create_directory(dir.file("folder"));
  const struct {
    std::string path;
    std::string message;
  } cases[] = {
      {dir.file("folder"), "The plot file " + dir.file("folder") +
                               " is a folder; give the name of a file."},
      {dir.file("none/x.svg"), "The plot file " + dir.file("none/x.svg") +
                                   " could not be opened for writing: No such file or "
                                   "directory."},
  };
  for (const auto& c : cases) {
    try {
      OutputFile file(c.path, "plot file");
      ADD_FAILURE() << c.path << " was opened";
    } catch (const InputError& error) {
      EXPECT_EQ(std::string(error.what()), c.message);
    }
  }
  EXPECT_EQ(outputKind(dir.file("folder")), OutputKind::kFolder);
  EXPECT_EQ(outputKind(dir.file("none/x.svg")), OutputKind::kWhole);
}

TEST(OutputClashes, AnOutputNamingAnInputOrAnotherOutputIsRefusedNamingBoth) {
  TempDir dir;
  const std::string map = dir.write("pop.txt", "a R\n");
  const std::string vcf = dir.write("calls.vcf", "##\n");
  fs::create_symlink("pop.txt", dir.file("link"));
  fs::create_hard_link(map, dir.file("hard"));
  fs::create_symlink("later.tsv", dir.file("to-later"));
  const std::vector<NamedPath> inputs{{"VCF file", vcf}, {"population map", map}};
  const struct {
    std::vector<NamedPath> outputs;
    std::string message;  // empty: accepted
  } cases[] = {
      {{{"table file", map}}, "The table file " + map + " is the population map " + map},
      {{{"table file", dir.file("link")}},
       "The table file " + dir.file("link") + " is the population map " + map},
      {{{"plot file", dir.file("hard")}},
       "The plot file " + dir.file("hard") + " is the population map " + map},
      {{{"report file", dir.path() + "/./later.tsv"}, {"table file", dir.file("to-later")}},
       "The table file " + dir.file("to-later") + " is the report file " + dir.path() +
           "/./later.tsv"},
      {{{"report file", dir.file("r.txt")}, {"table file", dir.file("t.tsv")}}, ""},
      {{{"report file", "-"}, {"table file", "-"}, {"plot file", ""}}, ""},
      {{{"report file", "/dev/null"}, {"table file", "/dev/null"}}, ""},
  };
  for (const auto& c : cases) {
    try {
      refuseOutputClashes(c.outputs, inputs);
      EXPECT_EQ(c.message, "") << "accepted";
    } catch (const InputError& error) {
      EXPECT_EQ(std::string(error.what()), c.message + "; give it another name.");
    }
  }
}

}  // namespace
}  // namespace parmix
