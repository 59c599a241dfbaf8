// SPDX-License-Identifier: GPL-3.0-or-later
// Put in front of the C library (LD_PRELOAD), this makes every file system
// answer as FAT-like ones through FUSE do: no unnamed files, no rename flags,
// no hard links.
#undef _FILE_OFFSET_BITS
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <fcntl.h>
#include <stdarg.h>
#include <stdio.h>
#include <unistd.h>

typedef int (*openat_function)(int, const char*, int, ...);

// With 64-bit offsets the program calls openat64, which on 64-bit systems is
// the same function under a second name.
int openat(int directory, const char* path, int flags, ...) {
  va_list rest;
  va_start(rest, flags);
  mode_t mode = (flags & (O_CREAT | __O_TMPFILE)) ? va_arg(rest, mode_t) : 0;
  va_end(rest);
  if ((flags & __O_TMPFILE) == __O_TMPFILE) {
    errno = EOPNOTSUPP;
    return -1;
  }
  return ((openat_function)dlsym(RTLD_NEXT, "openat"))(directory, path, flags, mode);
}
int openat64(int directory, const char* path, int flags, ...) __attribute__((alias("openat")));

int renameat2(int from_directory, const char* from, int to_directory, const char* to, unsigned flags) {
  if (flags == 0) return renameat(from_directory, from, to_directory, to);
  errno = EINVAL;
  return -1;
}

int link(const char* from, const char* to) {
  (void)from, (void)to;
  errno = EPERM;
  return -1;
}

int linkat(int from_directory, const char* from, int to_directory, const char* to, int flags) {
  (void)from_directory, (void)from, (void)to_directory, (void)to, (void)flags;
  errno = EPERM;
  return -1;
}
