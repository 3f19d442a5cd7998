// Program start: the application object, then the main window, then the message loop.
#include "app/Application.h"
#include "app/untMain.h"

int main(int argc, char** argv)
{
    qm::TApplication app(argc, argv);
    QStringList arguments = app.arguments();
    arguments.removeFirst();
    qm::TfrmMain window(arguments);
    window.show();
    return app.exec();
}
