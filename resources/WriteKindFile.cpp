// Build tool: writes the kind file a new account-book folder starts with, the
// built-in kinds one a line in the program's own order, code page 932, CR LF.
//   write_kind_file <path>
#include <cstdio>
#include <string>

#include "core/entry/DefaultKinds.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fputs("usage: write_kind_file <path>\n", stderr);
    return 2;
  }
  std::string text;
  for (const std::string& kind : mametan::DefaultKindList()) text += kind + "\r\n";
  std::FILE* file = std::fopen(argv[1], "wb");
  if (!file) {
    std::perror(argv[1]);
    return 1;
  }
  const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
  if (std::fclose(file) != 0 || !written) {
    std::perror(argv[1]);
    std::remove(argv[1]);
    return 1;
  }
  return 0;
}
