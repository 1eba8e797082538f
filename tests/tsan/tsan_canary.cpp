// A data race on purpose, under the Qt event loop: a plain int written by a
// std::thread that one timer's slot starts and read by another timer's slot,
// with nothing between them. ThreadSanitizer must report it; when the run
// stays quiet, a suppression in tests/tsan.supp is wide enough to hide the
// project's own races under Qt (a whole library, or a function that every
// slot runs under), and the test that runs this canary fails.

#include <QCoreApplication>
#include <QTimer>
#include <cstdio>
#include <thread>

namespace {

int racy = 0;  // no lock, no atomic: the race

void WriteRacy() { racy = 1; }

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  std::thread writer;
  QTimer::singleShot(0, [&] { writer = std::thread(WriteRacy); });
  QTimer::singleShot(100, [&] {
    std::printf("read %d\n", racy);
    writer.join();
    app.quit();
  });
  return app.exec();
}
