// Running a short Python script with PIL, the independent reader many tests
// compare with.
#pragma once

#include <QProcess>
#include <QStringList>

#include <string>

namespace lumvor::test {

// Runs /usr/bin/python3 -c script with the arguments (sys.argv[1] on); "" when
// it ended well, else its error output.
inline std::string RunPilScript(const char* script, const QStringList& arguments) {
    QProcess python;
    python.start("/usr/bin/python3", QStringList{"-c", script} + arguments);
    if (!python.waitForFinished(30000))
        return "python3 did not finish";
    if (python.exitStatus() != QProcess::NormalExit || python.exitCode() != 0)
        return "python3 failed: " + python.readAllStandardError().toStdString();
    return "";
}

}  // namespace lumvor::test
