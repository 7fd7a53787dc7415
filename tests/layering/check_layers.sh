#!/usr/bin/env bash
# Checks the layers of the source tree: every top folder is one that README's layout table
# names; every #include of a project folder (in any spelling: "# include", <...>, "../")
# names a folder that the including folder may use, and within ui/ a room that the including
# room may use; and nothing outside platform/ reaches
# the file system on its own. Every C and C++ file of every top folder is read; a tree in
# which none is read fails, so that the check cannot pass by looking at nothing.
# Usage: check_layers.sh SOURCE_DIR
set -u
[ $# -eq 1 ] || { echo "usage: $0 SOURCE_DIR" >&2; exit 2; }
cd "$1" || exit 2
[ -f README.md ] || { echo "no README.md in $1: the layout table is missing"; exit 1; }

exec perl -e '
use strict;
use warnings;
use File::Find;

# Folder -> the project folders its code may include (itself always). Folders of tests,
# benchmarks, fuzz targets and developer tools stand outside the program and may include
# any folder; folders without code include nothing.
my %allowed = (
  base       => "",
  datatree   => "base",
  platform   => "base datatree",
  settings   => "base datatree platform",
  scan       => "base datatree platform",
  duplicates => "base datatree platform",
  search     => "base datatree platform scan duplicates",
  results    => "base datatree platform settings scan duplicates search",
  app        => "base datatree platform settings scan duplicates search results",
  ui         => "base datatree platform settings scan duplicates search results app",
  cli        => "base datatree platform settings scan duplicates search results app",
  plugins    => "base platform",
);
my %outside = map { $_ => 1 } qw(tests bench fuzz tools);
# The rooms of ui/, each with the rooms it may include (itself always); "" is ui/ itself
# (main.cpp and qt_text.h). qt_text.h may be included by every room but layout/.
my %uiRooms = (
  layout       => "",
  window       => "layout",
  result_views => "layout window",
  preview      => "layout window",
  dialogs      => "layout window",
  search_pages => "layout window preview",
  shell        => "layout window result_views preview dialogs search_pages",
  ""           => "layout window result_views preview dialogs search_pages shell",
);
# The room of a path under ui/ ("ui/window/x.h" is in window, "ui/main.cpp" in ""), or
# undef for a path elsewhere.
sub uiRoom {
  my @parts = split m{/}, $_[0];
  return undef unless @parts >= 2 && $parts[0] eq "ui";
  return @parts == 2 ? "" : $parts[1];
}
my %noCode = map { $_ => 1 } qw(data docs packaging scripts);

# Where the file system may be reached without platform/: the folders outside the
# program, and the few calls named here, each with its reason (file, then a pattern of
# the call).
my @excused = (
  # The zip plug-in is a library of its own, loaded at run time; it links no part of the
  # program but its interface, so it writes the archives it is asked for itself.
  [qr{^plugins/packlet/}, qr{.}],
  # Lexical clean-up of a link in a page of the manual; no file is touched.
  [qr{^ui/(?:.*/)?help_viewer\.cpp$}, qr{QDir::cleanPath|#\s*include\s*<QDir>}],
  # The file chooser lists folders through its own model; the filter that offers
  # programs reads the execute bit of the entry the model hands it.
  [qr{^ui/(?:.*/)?qt_questions\.cpp$}, qr{QFileInfo}],
);

my $fileSystem = qr{
    std::filesystem | \bnamespace\s+\w+\s*=\s*std::filesystem
  | \#\s*include\s*<(?:filesystem|experimental/filesystem|fstream)>
  | std::(?:i|o)?fstream\b | \bstd::(?:fopen|freopen|rename|tmpfile)\s*\(
  | \bstd::remove\s*\(\s*[^,()]+\)
  | \bQ(?:File|Dir|FileInfo|SaveFile|TemporaryFile|TemporaryDir|DirIterator|LockFile|StorageInfo)\b
  | (?<![\w.>:])(?:::)?(?:fopen|fdopen|freopen|open|open64|openat|creat|opendir|fdopendir
      |readdir|scandir|stat|lstat|fstat|fstatat|statx|statfs|statvfs|unlink|unlinkat|rename
      |renameat|renameat2|remove|mkdir|mkdirat|rmdir|chmod|fchmod|chown|truncate|ftruncate
      |link|linkat|symlink|symlinkat|readlink|readlinkat|realpath|access|faccessat|utime
      |utimes|utimensat|futimens|chdir|fchdir|getcwd|nftw|ftw|mkstemp|mkdtemp|tmpfile)
      \s*\(\s*[^\s)]
}x;

# README'"'"'s layout table: the rows whose first cell is a folder in backquotes.
my %named;
open(my $readme, "<", "README.md") or die "README.md: $!";
my $inLayout = 0;
while (<$readme>) {
  $inLayout = 1 if /^## Layout/;
  $inLayout = 0 if /^## / && !/^## Layout/;
  $named{$1} = 1 if $inLayout && /^\|\s*`([^`\/]+)\//;
}
close $readme;

my $faults = 0;
sub fault { print "$_[0]\n"; $faults++; }

opendir(my $top, ".") or die "$!";
my @folders = sort grep { -d $_ && !/^\./ && !/^build/ } readdir $top;
closedir $top;
for my $folder (@folders) {
  fault("top folder $folder/ is not in README'"'"'s layout table") unless $named{$folder};
  fault("top folder $folder/ has no row in the include matrix of this check")
    unless exists $allowed{$folder} || $outside{$folder} || $noCode{$folder};
}
my %project = map { $_ => 1 } @folders;

my $read = 0;
for my $folder (@folders) {
  my @files;
  find({ no_chdir => 1, wanted => sub {
    push @files, $File::Find::name if -f $_ && /\.(?:h|hpp|c|cc|cpp)$/;
  } }, $folder);
  for my $file (sort @files) {
    open(my $in, "<", $file) or do { fault("$file: cannot be read"); next; };
    $read++;
    fault("$file: C or C++ code in a folder without code") if $noCode{$folder};
    my $room = uiRoom($file);
    fault("$file: ui/$room/ is not a room of ui/ in this check") if defined $room && !exists $uiRooms{$room};
    (my $dir = $file) =~ s{/[^/]*$}{};
    my $line = 0;
    while (my $text = <$in>) {
      $line++;
      if ($text =~ /^\s*#\s*include\s*[<"]([^">]+)[">]/) {
        my $target = $1;
        my $first;
        my $resolved = $target;
        if ($target =~ m{^\.\.?/}) {  # relative to the including file
          my @parts;
          for my $part (split m{/}, "$dir/$target") {
            next if $part eq "." || $part eq "";
            if ($part eq "..") { pop @parts; } else { push @parts, $part; }
          }
          $first = $parts[0];
          $resolved = join("/", @parts);
        } elsif ($target =~ m{^([^/]+)/} && $project{$1}) {
          $first = $1;
        }
        my $targetRoom = uiRoom($resolved);
        if (defined $room && exists $uiRooms{$room} && defined $targetRoom && $targetRoom ne $room) {
          chomp(my $shown = $text);
          my $may = " $uiRooms{$room} ";
          my $lawful = $resolved eq "ui/qt_text.h" ? $room ne "layout"
                     : index($may, " $targetRoom ") >= 0;
          fault("$file:$line: ui/$room/ may not include ui/$targetRoom/: $shown") unless $lawful;
        }
        if (defined $first && $first ne $folder && !$outside{$folder}) {
          my $may = " " . ($allowed{$folder} // "") . " ";
          chomp(my $shown = $text);
          fault("$file:$line: $folder/ may not include $first/: $shown")
            unless index($may, " $first ") >= 0;
        }
      }
      next if $folder eq "platform" || $outside{$folder};
      if ($text =~ $fileSystem) {
        my $hit = $&;
        next if grep { $file =~ $_->[0] && $text =~ $_->[1] } @excused;
        chomp(my $shown = $text);
        fault("$file:$line: file system outside platform/ ($hit): $shown");
      }
    }
    close $in;
  }
}

if ($read == 0) {
  print "no C or C++ file read: nothing was checked\n";
  exit 1;
}
if ($faults > 0) {
  print "$faults layering fault(s) in $read files\n";
  exit 1;
}
print "layers hold ($read files)\n";
'
