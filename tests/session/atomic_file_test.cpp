// SPDX-License-Identifier: GPL-3.0-or-later
// AtomicFile: a file replaced whole or left as it was, devices and pipes
// written directly, and no temporary file left behind.

// Files, devices, pipes and mounts of the machine: not in the browser build,
// which saves by download.
#ifndef __EMSCRIPTEN__
#include "session/atomic_file.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "tests/support/full_disk.h"

namespace tavex {
namespace {

namespace fs = std::filesystem;

std::string contentOf(const std::string& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

class AtomicFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder = ::testing::TempDir() + "atomic_file_" + std::to_string(getpid());
    fs::remove_all(folder);
    fs::create_directory(folder);
    folder += '/';
    std::ofstream(folder + "old.txt") << "old";
  }
  void TearDown() override {
    chmod((folder + "locked").c_str(), 0755);
    fs::remove_all(folder);
  }
  // The names in the folder, to see that no temporary file is left.
  std::set<std::string> names(const std::string& in = "") const {
    std::set<std::string> out;
    for (const auto& entry : fs::directory_iterator(folder + in)) out.insert(entry.path().filename());
    return out;
  }
  std::string folder;
};

TEST_F(AtomicFileTest, ReplacesTheFileALinkNamesWithTheModeItHadOrANewFilesMode) {
  const mode_t mask = umask(027);
  chmod((folder + "old.txt").c_str(), 0604);
  fs::create_symlink("old.txt", folder + "link.txt");
  fs::create_symlink("made.txt", folder + "dangling.txt");
  struct Case {
    std::string written, holder;
    mode_t mode;
  };
  const Case cases[] = {{"new.txt", "new.txt", 0640},
                        {"old.txt", "old.txt", 0604},
                        {"link.txt", "old.txt", 0604},
                        {"dangling.txt", "made.txt", 0640}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.written);
    std::string error;
    ASSERT_TRUE(writeFileAtomically(folder + c.written, "new " + c.written, error)) << error;
    EXPECT_EQ(contentOf(folder + c.holder), "new " + c.written);
    struct stat st;
    ASSERT_EQ(stat((folder + c.holder).c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, c.mode);
  }
  umask(mask);
  EXPECT_TRUE(fs::is_symlink(folder + "link.txt"));
  EXPECT_TRUE(fs::is_symlink(folder + "dangling.txt"));
  EXPECT_EQ(names(), (std::set<std::string>{"dangling.txt", "link.txt", "made.txt", "new.txt", "old.txt"}));
}

TEST_F(AtomicFileTest, WhatCannotBeWrittenIsRefusedAndNothingChanges) {
  fs::create_directory(folder + "dir");
  fs::create_directory(folder + "locked");
  chmod((folder + "locked").c_str(), 0555);
  std::ofstream(folder + "plain") << "";
  fs::create_symlink("loop2", folder + "loop1");
  fs::create_symlink("loop1", folder + "loop2");
  struct Case {
    std::string path;
    int error;
  };
  std::vector<Case> cases = {{folder + "dir", EISDIR},
                             {folder + "missing/new.txt", ENOENT},
                             {folder + "plain/new.txt", ENOTDIR},
                             {folder + "loop1", ELOOP}};
  const std::string full = tavex_test::fullDevice(folder);
  if (!full.empty()) cases.push_back({full, ENOSPC});
  if (geteuid() != 0)  // the superuser writes into any folder
    cases.push_back({folder + "locked/new.txt", EACCES});
  const std::set<std::string> before = names();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    std::string error;
    EXPECT_FALSE(writeFileAtomically(c.path, "new", error));
    EXPECT_EQ(error, "cannot write '" + c.path + "': " + std::strerror(c.error));
  }
  EXPECT_EQ(names(), before);
  EXPECT_TRUE(names("dir").empty());
  EXPECT_TRUE(names("locked").empty());
  EXPECT_EQ(contentOf(folder + "old.txt"), "old");
  EXPECT_TRUE(full.empty() || fs::is_character_file(full));
}

TEST_F(AtomicFileTest, AnAbandonedWriteLeavesTheOldFile) {
  {
    AtomicFile file;
    std::string error;
    ASSERT_TRUE(file.open(folder + "old.txt", error)) << error;
    ASSERT_TRUE(file.write("new", error)) << error;
    EXPECT_TRUE(file.replacing());
  }
  EXPECT_EQ(contentOf(folder + "old.txt"), "old");
  EXPECT_EQ(names(), std::set<std::string>{"old.txt"});
}

TEST_F(AtomicFileTest, AFullDiskKeepsTheOldFile) {
  fs::create_directory(folder + "small");
  if (!tavex_test::mountSmallTmpfs(folder + "small", "16k"))
    GTEST_SKIP() << "needs the superuser and mount namespaces for a small tmpfs";
  const std::string file = folder + "small/table.csv";
  std::string error;
  ASSERT_TRUE(writeFileAtomically(file, "old", error)) << error;
  EXPECT_FALSE(writeFileAtomically(file, std::string(64 * 1024, 'x'), error));
  EXPECT_EQ(error, "cannot write '" + file + "': " + std::strerror(ENOSPC));
  EXPECT_EQ(contentOf(file), "old");
  EXPECT_EQ(names("small"), std::set<std::string>{"table.csv"});
  umount((folder + "small").c_str());
}

TEST_F(AtomicFileTest, PipesAreWrittenDirectlyWithoutWaitingOrDying) {
  signal(SIGPIPE, SIG_DFL);  // a broken pipe would end this process
  alarm(20);                 // and a wait for a reader too
  const std::string fifo = folder + "pipe";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  std::string error;
  EXPECT_FALSE(writeFileAtomically(fifo, "lost", error));
  EXPECT_EQ(error, "cannot write '" + fifo + "': no reader on the pipe");

  int reader = open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
  ASSERT_GE(reader, 0);
  ASSERT_TRUE(writeFileAtomically(fifo, "read", error)) << error;
  char got[8] = {};
  EXPECT_EQ(read(reader, got, sizeof got), 4);
  EXPECT_STREQ(got, "read");

  AtomicFile file;
  ASSERT_TRUE(file.open(fifo, error)) << error;
  EXPECT_FALSE(file.replacing());
  close(reader);
  EXPECT_FALSE(file.write(std::string(1 << 20, 'x'), error));
  EXPECT_EQ(error, "cannot write '" + fifo + "': " + std::strerror(EPIPE));
  EXPECT_FALSE(file.commit(error));
  EXPECT_TRUE(fs::is_fifo(fifo));
  EXPECT_EQ(names(), (std::set<std::string>{"old.txt", "pipe"}));
  alarm(0);
}

}  // namespace
}  // namespace tavex

#endif  // __EMSCRIPTEN__
