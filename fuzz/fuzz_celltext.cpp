// The identifier and data byte texts of the send tables: whatever is typed,
// a frame is either refused or carries exactly what the text says.

#include <QByteArray>
#include <QString>
#include <QStringList>

#include "txtables/celltext.h"
#include "fuzzcheck.h"

// The first byte chooses the frame type and where the text splits into the
// identifier and the data text.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 1)
        return 0;
    const FrameFormat format = (data[0] & 1) ? FrameFormat::Extended : FrameFormat::Standard;
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data + 1), qsizetype(size - 1));
    const qsizetype split = text.isEmpty() ? 0 : (data[0] >> 1) % (text.size() + 1);
    const QString identifierText = text.left(split);
    const QString dataText = text.mid(split);

    quint32 identifier = 0;
    if (parseIdentifierText(identifierText, &identifier)) {
        check(identifier <= 0x7FFFFFFFu);
        check(!identifierText.contains(QLatin1Char('-')));
        // The value written back in hexadecimal reads the same.
        quint32 again = 0;
        check(parseIdentifierText(QString::number(identifier, 16), &again) && again == identifier);
    }

    QByteArray bytes;
    if (parseDataText(dataText, &bytes) == DataTextFault::None) {
        const QStringList pieces = dataText.trimmed().split(QLatin1Char(' '));
        check(bytes.size() == pieces.size() && bytes.size() >= 1 && bytes.size() <= 8);
        // Bytes written back as two digits each, blank-separated, read the same.
        QByteArray again;
        check(parseDataText(QString::fromLatin1(bytes.toHex(' ')), &again) == DataTextFault::None && again == bytes);
    }

    const TableRowFrame row = tableRowFrame(identifierText, dataText, format);
    if (row.ok()) {
        check(row.frame.identifier <= maxIdentifier(format));
        check(row.frame.length == row.frame.data.size() && row.frame.length <= 8);
        check(!row.frame.remote && row.frame.format == format);
        const QByteArray fixed = encodeFixedFrame(row.frame);
        check(fixed.size() == FixedLayout::FrameSize);
        check(decodeFixedPayload(fixed.constData() + 2).data == row.frame.data);
    } else {
        check(!row.fault.isEmpty());
    }
    return 0;
}
