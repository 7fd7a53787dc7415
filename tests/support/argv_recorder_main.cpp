// Writes its working folder and every argument after the first to the file named by the
// first, each as "<length>\n<bytes>\n", so that no byte of an argument can be misread.
// With TF_RECORD_TO set, that names the file and every argument is recorded, so the
// recorder can stand in for a program the code under test starts by name.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

void put(std::string* out, const char* text) {
  *out += std::to_string(std::strlen(text)) + "\n" + text + "\n";
}

}  // namespace

int main(int argc, char** argv) {
  const char* recordTo = std::getenv("TF_RECORD_TO");
  const int first = recordTo ? 1 : 2;
  if (!recordTo && argc < 2) return 2;
  const std::string target = recordTo ? recordTo : argv[1];
  std::string record;
  char* cwd = getcwd(nullptr, 0);
  put(&record, cwd ? cwd : "");
  std::free(cwd);
  for (int i = first; i < argc; ++i) put(&record, argv[i]);
  // Written beside the target and renamed, so a reader never sees half a record.
  const std::string temp = target + ".part";
  FILE* f = std::fopen(temp.c_str(), "wb");
  if (!f) return 3;
  const bool ok = std::fwrite(record.data(), 1, record.size(), f) == record.size();
  if (std::fclose(f) != 0 || !ok) return 4;
  return std::rename(temp.c_str(), target.c_str()) == 0 ? 0 : 5;
}
