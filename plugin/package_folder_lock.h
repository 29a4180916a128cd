// One render at a time in a package folder, across processes: a render holds
// its folder from its start to its end, so that a render of another process
// into the same output neither replaces the folder under it nor takes its
// temporary sound files. The lock is a named mutex keyed by a digest of the
// folder's absolute path with its parent's links followed, so that two
// spellings of one folder meet; the system frees it when the process ends,
// however it ends. Within one process one render runs at a time anyway
// (picture_writer_owner.h): the process holds one folder at most.
#pragma once

#include "platform/aesdk/aeio_basic_data.h"

// At the render start, once the package folder `folder` is known and before
// anything in it is touched. 0, and the process holds the folder until
// UnlockPackageFolder, when no other process's render holds it; else 9993
// after a message saying so (or why the lock cannot be had), and nothing is
// touched.
A_Err LockPackageFolder(AEIO_BasicData* basic, const char* folder);

// The process's render has ended, its start failed, or it is released as
// left open: its package folder is free for other renders. Nothing when the
// process holds none.
void UnlockPackageFolder();

// Lets go of the process's package folder when it goes out of scope, however
// the scope is left, unless kept: a render's end holds one, and so does its
// start, which keeps the folder when it succeeds.
class PackageFolderRelease {
 public:
  PackageFolderRelease() = default;
  PackageFolderRelease(const PackageFolderRelease&) = delete;
  PackageFolderRelease& operator=(const PackageFolderRelease&) = delete;
  ~PackageFolderRelease() {
    if (!kept_) UnlockPackageFolder();
  }
  void Keep() { kept_ = true; }

 private:
  bool kept_ = false;
};
