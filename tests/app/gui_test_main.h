#pragma once
// The main function of a GUI test: the offscreen platform (no display is
// needed), a check that the machine has a font (without one Qt draws every
// glyph as a box and nothing else would fail), then the program's own
// application object and the Qt Test run.

#include <QTest>
#include <cstdio>
#include <cstdlib>

#include "app/application.h"

namespace gui_test {

// True when fc-list names at least one font.
inline bool FontsInstalled() {
  std::FILE* list = popen("fc-list 2>/dev/null", "r");
  if (list == nullptr) return false;
  char line[512];
  const bool any = std::fgets(line, sizeof line, list) != nullptr;
  pclose(list);
  return any;
}

template <typename TestObject>
int RunGuiTest(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  if (!FontsInstalled()) {
    std::fprintf(stderr,
                 "FAIL: fc-list finds no font, so every text would be drawn as boxes; "
                 "install fonts-dejavu-core (scripts/setup.sh)\n");
    return 1;
  }
  app::Application application(argc, argv);
  TestObject test;
  return QTest::qExec(&test, argc, argv);
}

}  // namespace gui_test

#define AISFW_GUI_TEST_MAIN(TestObject) \
  int main(int argc, char** argv) { return gui_test::RunGuiTest<TestObject>(argc, argv); }
