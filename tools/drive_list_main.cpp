// twinfold-drives: prints the drive list the folder editor offers, one line per drive.
#include <clocale>
#include <cstdio>

#include "platform/volume_info.h"

int main() {
  std::setlocale(LC_ALL, "");
  std::vector<tf::DriveSummary> drives;
  if (!tf::BuildDriveSummaryList(&drives)) {
    std::fprintf(stderr, "twinfold-drives: the mount table cannot be read\n");
    return 1;
  }
  for (const tf::DriveSummary& d : drives) std::printf("%s\n", d.line.c_str());
  return 0;
}
