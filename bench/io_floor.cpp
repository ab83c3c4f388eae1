// The input/output floor of a station run as a process: reads the given input
// files whole, then writes the files of a bundle, each with its bytes, as the
// program's run writes them. Usage: io_floor <bundle> <input>...
// A bundle holds, per file, a line with its name, a line with its size in
// bytes, then the bytes.
#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

namespace {

std::string slurp(const char* name) {
  std::string s;
  const int fd = ::open(name, O_RDONLY);
  if (fd < 0) std::exit(1);
  char block[1 << 16];
  for (ssize_t n; (n = ::read(fd, block, sizeof block)) > 0;)
    s.append(block, static_cast<std::size_t>(n));
  ::close(fd);
  return s;
}

std::string line(const std::string& s, std::size_t& p) {
  const std::size_t nl = s.find('\n', p);
  if (nl == std::string::npos) std::exit(1);
  std::string l = s.substr(p, nl - p);
  p = nl + 1;
  return l;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return 1;
  std::size_t bytes = 0;
  for (int i = 2; i < argc; ++i) bytes += slurp(argv[i]).size();
  const std::string bundle = slurp(argv[1]);
  for (std::size_t p = 0; p < bundle.size();) {
    const std::string name = line(bundle, p);
    const std::size_t size = std::stoul(line(bundle, p));
    const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
    if (fd < 0 || ::write(fd, bundle.data() + p, size) != static_cast<ssize_t>(size)) return 1;
    ::close(fd);
    p += size;
  }
  return bytes > 0 ? 0 : 1;
}
