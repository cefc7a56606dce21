#include "VXNServiceFramework/control/ServiceWrapper.h"

#include "VXNServiceFramework/app/Log.h"
#include "VXNServiceFramework/app/StopSignalNotifier.h"

#include "VelmVersion.h"

#include <QFileInfo>

#include <csignal>
#include <iostream>

namespace {

enum class Action {
    Install,
    Uninstall,
    Version,
    Exec,
    Terminate,
    Pause,
    Resume,
    Command,
    Help,
    ProgramVersion,
    Run
};

Action actionOf(int argc, char** argv) {
    if (argc < 2) {
        return Action::Run;
    }
    const QString a = QString::fromLocal8Bit(argv[1]);
    struct Form {
        const char* shortForm;
        const char* longForm;
        Action action;
    };
    static const Form forms[] = {
        {"-i", "-install", Action::Install},
        {"-u", "-uninstall", Action::Uninstall},
        {"-v", "-version", Action::Version},
        {"-e", "-exec", Action::Exec},
        {"-t", "-terminate", Action::Terminate},
        {"-p", "-pause", Action::Pause},
        {"-r", "-resume", Action::Resume},
        {"-c", "-command", Action::Command},
        {"-h", "-help", Action::Help},
        {"--help", "--help", Action::Help},
        {"--version", "--version", Action::ProgramVersion},
    };
    for (const Form& f : forms) {
        if (a == QLatin1String(f.shortForm) || a == QLatin1String(f.longForm)) {
            return f.action;
        }
    }
    return Action::Run;
}

// The running executable, absolute, for the manager to start.
QString executablePath(const char* argv0) {
    const QFileInfo self(QStringLiteral("/proc/self/exe"));
    if (self.exists()) {
        return self.canonicalFilePath();
    }
    return QFileInfo(QString::fromLocal8Bit(argv0)).absoluteFilePath();
}

QString programName(const char* argv0) {
    return QFileInfo(QString::fromLocal8Bit(argv0)).fileName();
}

} // namespace

ServiceWrapperBase::ServiceWrapperBase(int& argc, char** argv, QString serviceName)
    : m_argv(argv, argv + argc), m_argc(argc), m_serviceName(std::move(serviceName)),
      m_out(&std::cout), m_err(&std::cerr) {
    m_argv.push_back(nullptr);
}

ServiceWrapperBase::~ServiceWrapperBase() = default;

void ServiceWrapperBase::setBackend(std::unique_ptr<ServiceBackend> backend) {
    m_backend = std::move(backend);
}

void ServiceWrapperBase::setOutput(std::ostream& out, std::ostream& err) {
    m_out = &out;
    m_err = &err;
}

ServiceBackend& ServiceWrapperBase::backend() {
    if (!m_backend) {
        m_backend = createServiceBackend(m_serviceName);
    }
    return *m_backend;
}

QByteArray ServiceWrapperBase::helpText(const QString& serviceName, const QString& programName) {
    const QByteArray program = programName.toLocal8Bit();
    return program + " " + velmVersion + ", the service " + serviceName.toLocal8Bit() + "\n\n" +
           program +
           " -[i|u|e|t|p|r|c|v|h]\t(only the first argument counts)\n\n"
           "\t-i(nstall)\t: Install the service (a systemd unit that runs this executable)\n"
           "\t-u(ninstall)\t: Uninstall the service\n"
           "\t-e(xec)\t\t: Execute the service in this console, as a regular program\n"
           "\t\t\t  (Ctrl-C stops it)\n"
           "\t-t(erminate)\t: Stop the service\n"
           "\t-p(ause)\t: Pause the service\n"
           "\t-r(esume)\t: Resume the service\n"
           "\t-c(ommand) N\t: Send the user-defined control code N (0 when left out)\n"
           "\t-v(ersion)\t: Print version and status information\n"
           "\t-h(elp)\t\t: Show this help\n"
           "\t--version\t: Print the version only\n\n"
           "Without an option the program runs as the service under systemd; started by hand\n"
           "that way, it asks systemd to start the installed service.\n";
}

int ServiceWrapperBase::exec() {
    switch (actionOf(m_argc, m_argv.data())) {
    case Action::Install:
        return install();
    case Action::Uninstall:
        return uninstall();
    case Action::Version:
        return version();
    case Action::Exec: {
        // The option is not the application's: it sees the program name and what follows.
        m_argv.erase(m_argv.begin() + 1);
        --m_argc;
        const int result = runApplication(true);
        if (result != 0) {
            *m_err << "The service could not be started." << std::endl;
        }
        return result;
    }
    case Action::Terminate:
        if (!backend().stop()) {
            *m_err << "The service could not be stopped." << std::endl;
            return -1;
        }
        return 0;
    case Action::Pause:
        backend().pause();
        return 0;
    case Action::Resume:
        backend().resume();
        return 0;
    case Action::Command: {
        const int code = m_argc > 2 ? QString::fromLocal8Bit(m_argv[2]).toInt() : 0;
        backend().sendCommand(code);
        return 0;
    }
    case Action::Help:
        *m_out << helpText(m_serviceName, programName(m_argv[0])).constData() << std::flush;
        return 0;
    case Action::ProgramVersion:
        *m_out << programName(m_argv[0]).toLocal8Bit().constData() << " " << velmVersion << "\n"
               << std::flush;
        return 0;
    case Action::Run:
        return runAsService();
    }
    return -1;
}

int ServiceWrapperBase::install() {
    const QByteArray name = m_serviceName.toLocal8Bit();
    if (backend().isInstalled()) {
        *m_err << "The service " << name.constData() << " is already installed\n" << std::flush;
        return 0;
    }
    const QString executable = executablePath(m_argv[0]);
    if (!backend().install(executable)) {
        *m_err << "The service " << name.constData() << " could not be installed\n"
               << "Reason for failure: " << backend().errorString().toLocal8Bit().constData()
               << "\n"
               << std::flush;
        return -1;
    }
    *m_out << "The service " << name.constData() << " has been installed for "
           << executable.toLocal8Bit().constData() << "\n"
           << std::flush;
    return 0;
}

int ServiceWrapperBase::uninstall() {
    const QByteArray name = m_serviceName.toLocal8Bit();
    if (!backend().isInstalled()) {
        *m_err << "The service " << name.constData() << " is not installed\n" << std::flush;
        return 0;
    }
    if (!backend().uninstall()) {
        *m_err << "The service " << name.constData() << " could not be uninstalled\n"
               << "Reason for failure: " << backend().errorString().toLocal8Bit().constData()
               << "\n"
               << std::flush;
        return -1;
    }
    *m_out << "The service " << name.constData() << " has been uninstalled\n" << std::flush;
    return 0;
}

int ServiceWrapperBase::version() {
    const bool installed = backend().isInstalled();
    const bool running = installed && backend().isRunning();
    *m_out << "The service\n\t" << m_serviceName.toLocal8Bit().constData() << "\n\t" << m_argv[0]
           << "\n\tversion " << velmVersion << "\n\n"
           << "is " << (installed ? "installed" : "not installed") << " and "
           << (running ? "running" : "not running") << "\n\n"
           << std::flush;
    return 0;
}

int ServiceWrapperBase::runAsService() {
    if (backend().launchedByManager()) {
        return runApplication(false);
    }
    // Started by hand: have the manager start the installed service instead.
    QStringList arguments;
    for (int i = 1; i < m_argc; ++i) {
        arguments << QString::fromLocal8Bit(m_argv[i]);
    }
    if (!backend().start(arguments)) {
        VELM_ERR << "The Service failed to start [" << backend().errorString() << "]";
        *m_err << "The service " << m_serviceName.toLocal8Bit().constData() << " could not start\n"
               << std::flush;
        return -4;
    }
    return 0;
}

int ServiceWrapperBase::runApplication(bool console) {
    createApplication(m_argc, m_argv.data());
    std::vector<int> stopSignals{SIGTERM};
    if (console) {
        stopSignals.push_back(SIGINT);
    }
    m_stopping = false;
    StopSignalNotifier notifier(std::move(stopSignals), [this](int) {
        if (m_stopping) {
            return; // the stop sequence runs once; a second signal waits for it
        }
        m_stopping = true;
        stop();
        quitApplication(0);
    });
    start();
    return executeApplication();
}
