#include "acquisition/NetlinkInterfaceTable.h"
#include "app/MessageSink.h"
#include "app/TMainform.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QString());
    NetlinkInterfaceTable interfaceTable;
    MessageBoxSink messages;
    MainformServices services;
    services.interfaceTable = &interfaceTable;
    services.messages = &messages;

    TMainform form(services, QApplication::arguments().mid(1));
    messages.setParent(&form);
    if (form.startVisible())
        form.show();
    return app.exec();
}
