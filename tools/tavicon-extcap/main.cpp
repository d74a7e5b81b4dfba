// tavicon-extcap: the converter as a capture interface of Wireshark and tshark
// (an "extcap" program): it lists the interface and its arguments, and
// captures the converter's frames as a pcap of link type 227 into the fifo
// Wireshark reads.

#include <QCoreApplication>
#include <QDir>
#include <QUrl>
#include <csignal>
#include <cstdio>

#include "console/quitsignals.h"
#include "session/busstatuspoller.h"
#include "session/convertersession.h"
#include "extcapoptions.h"
#include "pcapstream.h"

namespace {

enum ExitStatus { Ended = 0, Failed = 1 };

int fail(const QString &text)
{
    std::fprintf(stderr, "tavicon-extcap: %s\n", qPrintable(text));
    return Failed;
}

void print(const QByteArray &text)
{
    std::fwrite(text.constData(), 1, size_t(text.size()), stdout);
    std::fflush(stdout);
}

// The README as installed, found from the folder this program is installed in
// (a link to it resolved): the relative path holds for any prefix.
QString helpUrl()
{
    const QString readme = QCoreApplication::applicationDirPath() + QStringLiteral("/" TAVICON_README_FROM_EXTCAP);
    return QUrl::fromLocalFile(QDir::cleanPath(readme)).toString(QUrl::FullyEncoded);
}

// `refusal`: why the arguments were refused, told only after the pcap header.
int capture(const ExtcapRequest &request, const QString &refusal)
{
    if (request.fifo.isEmpty())
        return fail(refusal);
    // Wireshark waits for the pcap header before it reads standard error, so
    // the fifo comes before anything that can fail. Until Wireshark opens it,
    // SIGTERM ends the program at once.
    PcapStream stream;
    QString why;
    if (!stream.open(request.fifo, &why))
        return fail(QStringLiteral("cannot open the fifo %1: %2").arg(request.fifo, why));
    if (!refusal.isEmpty())
        return fail(refusal);
    ConverterSession session;
    if (!session.open(request.port, request.portBaud, &why))
        return fail(QStringLiteral("cannot open %1: %2").arg(request.port, why));
    QuitSignals quitSignals;
    session.start(request.start);
    BusStatusPoller poller(&session);
    QObject::connect(&poller, &BusStatusPoller::errorFrame, &stream, &PcapStream::add);
    QObject::connect(&poller, &BusStatusPoller::unanswered, [](int ms) {
        std::fprintf(stderr, "tavicon-extcap: no bus status reply for %d ms: the converter may not be listening\n", ms);
    });
    poller.start(request.busStatusMs);

    int status = Ended;
    QObject::connect(&session, &ConverterSession::frameReceived, &stream, &PcapStream::add);
    QObject::connect(&session, &ConverterSession::lost, qApp, [&](const QString &reason) {
        fail(QStringLiteral("the converter on %1 is gone: %2").arg(request.port, reason));
        status = Failed;
        qApp->quit();
    });
    QObject::connect(&quitSignals, &QuitSignals::quitRequested, qApp, &QCoreApplication::quit);
    QObject::connect(&stream, &PcapStream::readerGone, qApp, &QCoreApplication::quit);
    QCoreApplication::exec();
    stream.writeNow();
    session.close();
    if (stream.notCarried() > 0 || stream.dropped() > 0)
        std::fprintf(stderr, "tavicon-extcap: %lld frames a SocketCAN frame cannot carry, %lld not taken by the reader\n",
                     qlonglong(stream.notCarried()), qlonglong(stream.dropped()));
    return status;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("tavicon-extcap"));
    std::signal(SIGPIPE, SIG_IGN);        // a closed fifo is seen as EPIPE

    ExtcapRequest request;
    QString why;
    const bool parsed = parseExtcapArguments(QCoreApplication::arguments(), &request, &why);
    if (!parsed && request.kind != ExtcapRequest::Capture)
        return fail(why + QStringLiteral("\nTry 'tavicon-extcap --help'."));
    switch (request.kind) {
    case ExtcapRequest::Help:
        print(extcapHelpText());
        return Ended;
    case ExtcapRequest::Version:
        print("tavicon-extcap " TAVICON_VERSION "\n");
        return Ended;
    case ExtcapRequest::Interfaces:
        print(extcapInterfacesText(helpUrl()));
        return Ended;
    case ExtcapRequest::Dlts:
        print(extcapDltsText());
        return Ended;
    case ExtcapRequest::Config:
        print(extcapConfigText(systemPorts()));
        return Ended;
    case ExtcapRequest::VerifyFilter:
        print(extcapFilterText(request.filter));
        return Ended;
    case ExtcapRequest::Capture:
        break;
    }
    // Wireshark shows what a capture writes to standard error as its error:
    // the reason alone, without the hint at --help.
    return capture(request, parsed ? QString() : why);
}
