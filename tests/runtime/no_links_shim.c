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

int openat(int directory, const char* path, int flags, ...) {
  if ((flags & __O_TMPFILE) == __O_TMPFILE) return errno = EOPNOTSUPP, -1;
  va_list rest;
  va_start(rest, flags);
  mode_t mode = (flags & O_CREAT) ? va_arg(rest, mode_t) : 0;
  va_end(rest);
  return ((int (*)(int, const char*, int, ...))dlsym(RTLD_NEXT, "openat"))(directory, path, flags, mode);
}
// With 64-bit offsets the program calls openat64: on 64-bit systems the same
// function under a second name.
int openat64(int directory, const char* path, int flags, ...) __attribute__((alias("openat")));

int renameat2(int from_directory, const char* from, int to_directory, const char* to, unsigned flags) {
  return flags == 0 ? renameat(from_directory, from, to_directory, to) : (errno = EINVAL, -1);
}
// The program links only with linkat.
int linkat(int from_directory, const char* from, int to_directory, const char* to, int flags) {
  return (void)from_directory, (void)from, (void)to_directory, (void)to, (void)flags, (errno = EPERM, -1);
}
