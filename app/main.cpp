// aisfw-gui: the firmware upgrade wizard.

#include "app/application.h"
#include "app/form1.h"

int main(int argc, char** argv) {
  app::Application application(argc, argv);
  int status = 0;
  {
    app::TForm1 form;
    form.show();
    status = app::Application::exec();
  }
  return status;
}
