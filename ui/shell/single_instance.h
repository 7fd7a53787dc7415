// SingleInstance: the per-user local server by which a second start of the program finds
// the running one and asks it to show its window.
#pragma once

#include <QObject>
#include <QString>

class QLocalServer;

namespace tf {

class SingleInstance : public QObject {
  Q_OBJECT

 public:
  // The server name of this user: "twinfold-<uid>".
  static QString DefaultName();
  explicit SingleInstance(QString name, QObject* parent = nullptr);
  ~SingleInstance() override;

  // True when another instance answers on the name.
  bool OtherIsRunning() const;
  // Starts listening; a name left behind by an instance that ended without closing it is
  // taken over. False when another instance holds it.
  bool Listen();
  bool listening() const;
  // Asks the running instance to show and raise its window; true when the request was
  // delivered.
  bool SendRaise() const;
  const QString& name() const { return m_name; }

 signals:
  // Another start asked this instance to come to the front.
  void raiseRequested();

 private:
  void onConnection();

  QString m_name;
  QLocalServer* m_server = nullptr;
};

}  // namespace tf
