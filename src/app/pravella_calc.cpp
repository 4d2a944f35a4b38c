// pravella-calc: runs a program text from a file or standard input through the memo's run
// contract and prints the result text. A developer's and tests' tool, not a user feature.

#include <cstdio>
#include <cstring>

namespace {

void usage(std::FILE* out) {
  std::fputs("usage: pravella-calc FILE | pravella-calc - (program text on standard input)\n", out);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
    usage(stdout);
    return 0;
  }
  usage(stderr);
  std::fputs("pravella-calc: the interpreter is not part of this build yet\n", stderr);
  return 2;
}
