#pragma once
// One running instance per user (and per private settings store): a second
// start hands its request to the first over a local socket and ends.

#include "common/commandline.h"

#include <QObject>
#include <QString>

#include <functional>

class QLocalServer;

namespace corvane::app {

enum class HandOver {
    Done,     // the running instance took the request
    NoServer, // no instance runs
    Failed,   // one runs but did not take the request in time
};

// Tries to hand the request to the instance listening on `serverName`.
HandOver HandOverRequest(const QString& serverName, const InstanceRequest& request, int timeoutMs = 5000);

class SingleInstance : public QObject {
    Q_OBJECT
public:
    explicit SingleInstance(QString serverName, QObject* parent = nullptr);
    ~SingleInstance() override;

    // Starts serving; a socket left behind by an instance that ended is
    // replaced. Call only after HandOverRequest found no server.
    bool listen();
    const QString& serverName() const { return name_; }

    // Called for each request, after its sender has been answered.
    std::function<void(const InstanceRequest&)> onRequest;

private:
    void acceptConnections();

    QString name_;
    QLocalServer* server_ = nullptr;
};

} // namespace corvane::app
