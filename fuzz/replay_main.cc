// Runs the fuzz target once on every file it is given, or on every file in
// the folders it is given, so the corpus and the inputs that once found a
// fault are replayed by every build, with or without libFuzzer.
#include <dirent.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size);

namespace {

bool replay_file(const std::string &path) {
  FILE *f = fopen(path.c_str(), "rb");
  if (f == nullptr) return false;
  std::vector<uint8_t> bytes;
  uint8_t buf[4096];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, f)) > 0) bytes.insert(bytes.end(), buf, buf + n);
  bool ok = !ferror(f);
  fclose(f);
  if (ok) LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
  return ok;
}

}  // namespace

int main(int argc, char **argv) {
  int replayed = 0;
  for (int i = 1; i < argc; ++i) {
    std::vector<std::string> files;
    if (DIR *dir = opendir(argv[i])) {
      while (dirent *entry = readdir(dir)) {
        if (entry->d_name[0] != '.') files.push_back(std::string(argv[i]) + "/" + entry->d_name);
      }
      closedir(dir);
    } else {
      files.emplace_back(argv[i]);
    }
    for (const std::string &file : files) {
      if (!replay_file(file)) {
        perror(file.c_str());
        return 1;
      }
      ++replayed;
    }
  }
  printf("replayed %d inputs, all checks held\n", replayed);
  return replayed > 0 ? 0 : 1;
}
