#ifndef TAVICON_FRAMELOGWRITER_H
#define TAVICON_FRAMELOGWRITER_H

#include <QByteArray>
#include <QString>
#include <memory>
#include <optional>

#include "link/canframe.h"

// Frame logs in the formats other CAN tools read, written one frame at a time
// by whoever has frames: the log converter, the bridge's captures, the
// extcap's fifo.

enum class CanLogFormat { Candump, Asc, Pcap };
enum class FrameDirection { Received, Sent };

// "candump", "asc" or "pcap"; nothing for another name.
std::optional<CanLogFormat> canLogFormatNamed(const QString &name);

class FrameLogWriter
{
public:
    virtual ~FrameLogWriter() = default;
    // The bytes before the first record. `startUsecs` (microseconds since the
    // Unix epoch) is the time records count from where the format has one.
    virtual QByteArray header(qint64 startUsecs) = 0;
    // One frame; nothing when the format cannot carry it.
    virtual std::optional<QByteArray> record(qint64 usecsSinceEpoch, FrameDirection direction,
                                             const CanFrame &frame) = 0;
    // The bytes after the last record.
    virtual QByteArray end() { return QByteArray(); }
    // Text (line ends as the platform writes them) or bytes as they are.
    virtual bool isBinary() const { return false; }
};

// The writer of `format`; `channel` names the interface on candump lines.
std::unique_ptr<FrameLogWriter> makeFrameLogWriter(CanLogFormat format, const QString &channel);

#endif // TAVICON_FRAMELOGWRITER_H
