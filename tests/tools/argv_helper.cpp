// Writes the arguments it was started with to "argv.out" in its working folder, each
// followed by a zero byte, so a test can compare them byte for byte.
#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
  std::FILE* out = std::fopen("argv.tmp", "wb");
  if (!out) return 1;
  for (int i = 1; i < argc; ++i) std::fwrite(argv[i], 1, std::strlen(argv[i]) + 1, out);
  if (std::fclose(out) != 0) return 1;
  // Renamed into place only when complete, so the test never reads half a list.
  return std::rename("argv.tmp", "argv.out") == 0 ? 0 : 1;
}
