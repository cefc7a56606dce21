#pragma once

#include "VXNServiceFramework/control/ServiceBackend.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QString>

#include <iosfwd>
#include <memory>
#include <vector>

// Runs a program as an operating-system service or in the console, decided by its command line:
//
//   -i(nstall) -u(ninstall) -v(ersion) -e(xec) -t(erminate) -p(ause) -r(esume) -c(ommand) [code]
//   -h(elp) or --help, --version (the version only, without asking the service manager),
//   anything else: run as the service under the service manager.
//
// Only the first argument counts. A subclass creates and runs the core application and says what
// start and stop mean; the service manager is reached through a ServiceBackend. SIGTERM (the
// manager's stop) runs stop() and then ends the event loop; so does SIGINT in a console run.
class ServiceWrapperBase {
public:
    ServiceWrapperBase(int& argc, char** argv, QString serviceName);
    virtual ~ServiceWrapperBase();

    ServiceWrapperBase(const ServiceWrapperBase&) = delete;
    ServiceWrapperBase& operator=(const ServiceWrapperBase&) = delete;

    // Acts on the command line; the result is the process's exit code.
    int exec();

    QString serviceName() const { return m_serviceName; }

    // The platform's backend is used unless one is set before exec().
    void setBackend(std::unique_ptr<ServiceBackend> backend);
    // Standard output and standard error unless set.
    void setOutput(std::ostream& out, std::ostream& err);

    // The options as `programName` takes them, and what the program is.
    static QByteArray helpText(const QString& serviceName, const QString& programName);

protected:
    virtual void createApplication(int& argc, char** argv) = 0;
    virtual int executeApplication() = 0;
    // Ends the event loop with `code` once it runs (or at once when it already does).
    virtual void quitApplication(int code) = 0;

    // The service or console run begins (the core application exists) and ends by a stop
    // control; neither runs when the event loop is ended another way.
    virtual void start() = 0;
    virtual void stop() {}

private:
    int runApplication(bool console);
    int install();
    int uninstall();
    int version();
    int runAsService();
    ServiceBackend& backend();

    std::vector<char*> m_argv; // the arguments given to the core application
    int m_argc;
    QString m_serviceName;
    std::unique_ptr<ServiceBackend> m_backend;
    std::ostream* m_out;
    std::ostream* m_err;
    bool m_stopping = false;
};

template <class App> class ServiceWrapper : public ServiceWrapperBase {
public:
    using ServiceWrapperBase::ServiceWrapperBase;

    App* application() const { return m_application.get(); }

protected:
    void createApplication(int& argc, char** argv) override {
        m_application = std::make_unique<App>(argc, argv);
    }
    int executeApplication() override { return m_application->exec(); }
    void quitApplication(int code) override {
        if (QCoreApplication* app = QCoreApplication::instance()) {
            QMetaObject::invokeMethod(
                app, [code] { QCoreApplication::exit(code); }, Qt::QueuedConnection);
        }
    }

private:
    std::unique_ptr<App> m_application;
};
