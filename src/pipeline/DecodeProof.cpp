#include "pipeline/DecodeProof.h"

#include "pipeline/ProcessRunner.h"
#include "pipeline/FailureReport.h"
#include "pipeline/TranscoderOutput.h"

#include "files/FileNames.h"

#include <QFile>
#include <QFileInfo>
#include <QCoreApplication>

DecodeOutcome proveDecode(const ProcessRunner &runner, const QString &workWav, const QString &workFolderFault)
{
    const bool exitedWell = runner.exitedNormally() && runner.exitCode() == 0;
    const std::optional<WavFacts> facts =
        exitedWell && holdsMedia(workWav) ? readWavFacts(workWav) : std::nullopt;
    if (facts && facts->isPlayable())
        return {facts, {}};
    QFile::remove(workWav);
    if (facts) {
        return {std::nullopt, QCoreApplication::translate("DecodeProof", "转换出的声音无法播放（%1 Hz，%2 个声道，%3 帧）。")
                                  .arg(facts->sampleRate)
                                  .arg(facts->channels)
                                  .arg(facts->frames)};
    }
    FailureReport report = explainFailure(runner.output(), runner.exitedNormally(), runner.exitCode());
    if (!workFolderFault.isEmpty() && report.cause != FailureCause::NotMedia && report.cause != FailureCause::NoSound
        && report.cause != FailureCause::EncoderMissing) {
        report.sentence = workFolderFault;
        return {std::nullopt, failureText(report)};
    }
    // The decode writes nothing but the working WAV, so a full disk is the
    // working folder's, and a write refused or a path gone there is its fault.
    const QString folder = QFileInfo(workWav).absolutePath();
    if (report.cause == FailureCause::DiskFull)
        report.sentence = QCoreApplication::translate("DecodeProof", "工作文件夹所在的磁盘已满：\n%1\n请腾出空间后再试。")
                              .arg(file_names::displayed(folder));
    else if ((report.cause == FailureCause::NoPermission || report.cause == FailureCause::Vanished)
             && report.detail.contains(workWav))
        report.sentence = QCoreApplication::translate("DecodeProof", "工作文件夹无法写入：\n%1")
                              .arg(file_names::displayed(folder));
    if (report.cause == FailureCause::Unknown && exitedWell)
        report.sentence = QCoreApplication::translate("DecodeProof", "转换程序没有生成可播放的声音。");
    return {std::nullopt, failureText(report)};
}
