#!/usr/bin/python3
# A read-only passthrough file system that answers every request after a delay, as a
# network share does: usage slow_fs.py SOURCE MOUNTPOINT [DELAY_MS] (stays in the
# foreground; unmount with fusermount -u MOUNTPOINT). The kernel keeps no names or
# attributes between requests, so every lookup and stat costs a round trip. Names pass
# through byte for byte: the library speaks Latin-1 to the kernel, so any byte is a
# character, and the source is reached by the bytes themselves.
import errno
import os
import stat
import sys
import time

from fusepy import FUSE, FuseOSError, Operations


class Slow(Operations):
    def __init__(self, root, delay):
        self.root = os.fsencode(root)
        self.delay = delay

    def _path(self, path):
        time.sleep(self.delay)
        return os.path.join(self.root, path.encode('latin-1').lstrip(b'/'))

    def getattr(self, path, fh=None):
        try:
            st = os.lstat(self._path(path))
        except OSError as error:
            raise FuseOSError(error.errno)
        keys = ('st_mode', 'st_nlink', 'st_size', 'st_uid', 'st_gid', 'st_atime', 'st_mtime',
                'st_ctime', 'st_ino')
        return {key: getattr(st, key) for key in keys}

    def readdir(self, path, fh):
        full = self._path(path)
        # With each entry's type, as network file systems give it (the kernel takes the
        # type from the mode).
        try:
            with os.scandir(full) as entries:
                listed = [(entry.name.decode('latin-1'), {'st_mode': self._type(entry), 'st_ino': entry.inode()}, 0)
                          for entry in entries]
        except OSError as error:
            raise FuseOSError(error.errno)
        return ['.', '..'] + listed

    @staticmethod
    def _type(entry):
        if entry.is_symlink():
            return stat.S_IFLNK
        if entry.is_dir(follow_symlinks=False):
            return stat.S_IFDIR
        if entry.is_file(follow_symlinks=False):
            return stat.S_IFREG
        return 0

    def readlink(self, path):
        return os.readlink(self._path(path)).decode('latin-1')

    def access(self, path, mode):
        if not os.access(self._path(path), mode):
            raise FuseOSError(errno.EACCES)

    def open(self, path, flags):
        if flags & (os.O_WRONLY | os.O_RDWR):
            raise FuseOSError(errno.EROFS)
        return os.open(self._path(path), flags)

    def read(self, path, size, offset, fh):
        time.sleep(self.delay)
        return os.pread(fh, size, offset)

    def release(self, path, fh):
        os.close(fh)

    def statfs(self, path):
        st = os.statvfs(self._path(path))
        keys = ('f_bavail', 'f_bfree', 'f_blocks', 'f_bsize', 'f_favail', 'f_ffree', 'f_files',
                'f_flag', 'f_frsize', 'f_namemax')
        return {key: getattr(st, key) for key in keys}


if __name__ == '__main__':
    delay = float(sys.argv[3]) / 1000 if len(sys.argv) > 3 else 0.001
    FUSE(Slow(os.path.realpath(sys.argv[1]), delay), sys.argv[2], foreground=True, ro=True,
         nothreads=False, allow_other=True, attr_timeout=0, entry_timeout=0,
         negative_timeout=0, use_ino=True, encoding='latin-1')
