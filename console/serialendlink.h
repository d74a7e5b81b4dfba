#ifndef TAVICON_SERIALENDLINK_H
#define TAVICON_SERIALENDLINK_H

#include <QString>

// A symbolic link with a stable name pointing at the pty's serial end, which
// gets a new /dev/pts number every run. Removed again on destruction.
class SerialEndLink
{
public:
    SerialEndLink() = default;
    ~SerialEndLink();
    SerialEndLink(const SerialEndLink &) = delete;
    SerialEndLink &operator=(const SerialEndLink &) = delete;

    // Replaces an existing symbolic link at `linkPath`; refuses any other file.
    bool create(const QString &linkPath, const QString &target, QString *why);

private:
    QString linkPath;
    QString target;
};

#endif // TAVICON_SERIALENDLINK_H
