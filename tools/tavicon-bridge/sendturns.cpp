#include "sendturns.h"

void SendTurns::wait(const void *client, Resume resume)
{
    forget(client);
    waiting.append({client, std::move(resume)});
}

void SendTurns::forget(const void *client)
{
    waiting.removeIf([client](const auto &w) { return w.first == client; });
}

void SendTurns::serve(const std::function<bool()> &hasRoom)
{
    // Each client once a round: one that waits again goes to the back.
    for (qsizetype turns = waiting.size(); turns > 0 && !waiting.isEmpty() && hasRoom(); --turns) {
        const Resume resume = waiting.takeFirst().second;
        resume();
    }
}
