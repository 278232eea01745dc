// Stands in for a runtime's unpack200 in tests.
//
//   unpack200-standin -r <packed> <jar>
//
// Writes <jar> with "unpacked:" followed by the packed file's content, then
// deletes <packed> and exits 0. A packed file whose content begins with
// "FAIL" is left alone and the program exits 3, as a broken archive would.
// One whose content begins with "ALSO_REMOVE:" removes the file named after
// it too, as another start that expanded that one meanwhile would.
// Anything else on the command line exits 2. When UNPACK200_STANDIN_LOG names
// a file, each call appends its arguments to it, one line per call, separated
// by tabs. When UNPACK200_STANDIN_DELAY_MS is set, each call waits that long
// after reading the packed file, as a real tool takes its time. A run that
// finds another at work on the same packed file says so and exits 4.
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>

namespace {

void logCall(int argc, char** argv) {
  const char* logPath = std::getenv("UNPACK200_STANDIN_LOG");
  if (!logPath) return;
  std::ofstream log(logPath, std::ios::app);
  for (int i = 1; i < argc; ++i) log << (i > 1 ? "\t" : "") << argv[i];
  log << "\n";
}

// Marks a packed file as being worked on for as long as it lives.
class BusyMark {
 public:
  explicit BusyMark(const std::string& packed) : path_(packed + ".busy") {
    int fd = open(path_.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644);
    taken_ = fd >= 0;
    if (taken_) close(fd);
  }
  ~BusyMark() {
    if (taken_) unlink(path_.c_str());
  }
  bool taken() const { return taken_; }

 private:
  std::string path_;
  bool taken_ = false;
};

}  // namespace

int main(int argc, char** argv) {
  logCall(argc, argv);
  if (argc != 4 || std::string(argv[1]) != "-r") {
    std::fprintf(stderr, "usage: unpack200 -r packed jar\n");
    return 2;
  }
  const std::string packed = argv[2];
  const std::string jar = argv[3];
  BusyMark busy(packed);
  if (!busy.taken()) {
    std::fprintf(stderr, "unpack200: another run is unpacking %s\n", packed.c_str());
    return 4;
  }

  std::ifstream in(packed, std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "unpack200: cannot read %s\n", packed.c_str());
    return 1;
  }
  std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  in.close();
  if (const char* delay = std::getenv("UNPACK200_STANDIN_DELAY_MS")) {
    usleep(static_cast<useconds_t>(std::atoi(delay)) * 1000);
  }
  if (content.starts_with("FAIL")) {
    std::fprintf(stderr, "unpack200: corrupt archive %s\n", packed.c_str());
    return 3;
  }

  constexpr std::string_view kAlsoRemove = "ALSO_REMOVE:";
  if (content.starts_with(kAlsoRemove)) std::remove(content.substr(kAlsoRemove.size()).c_str());

  std::ofstream out(jar, std::ios::binary | std::ios::trunc);
  out << "unpacked:" << content;
  out.close();
  if (!out) {
    std::fprintf(stderr, "unpack200: cannot write %s\n", jar.c_str());
    return 1;
  }
  if (std::remove(packed.c_str()) != 0) {
    std::perror("unpack200: remove");
    return 1;
  }
  return 0;
}
