// tavicon-bridge: the converter as an slcan adapter, a socketcand server and a
// candump log, so that CAN tools on Linux use it live.

#include <QCoreApplication>
#include <cstdio>

#include "bridge.h"
#include "bridgeoptions.h"
#include "console/quitsignals.h"

namespace {
enum ExitStatus { Ended = 0, StartFailed = 1, Usage = 2, PortLost = 3 };
}

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("tavicon-bridge"));

    BridgeOptions options;
    QString why;
    if (!parseBridgeOptions(QCoreApplication::arguments(), &options, &why)) {
        std::fprintf(stderr, "tavicon-bridge: %s\nTry 'tavicon-bridge --help'.\n", qPrintable(why));
        return Usage;
    }
    Bridge bridge(options);
    QuitSignals quitSignals;
    if (!bridge.start(&why)) {
        std::fprintf(stderr, "tavicon-bridge: %s\n", qPrintable(why));
        return StartFailed;
    }
    int status = Ended;
    QObject::connect(&quitSignals, &QuitSignals::quitRequested, &app, &QCoreApplication::quit);
    QObject::connect(&bridge, &Bridge::portLost, &app, [&](const QString &reason) {
        std::fprintf(stderr, "PORT LOST %s\n", qPrintable(reason));
        std::fflush(stderr);
        status = PortLost;
        app.quit();
    });
    app.exec();
    bridge.stop();
    return status;
}
