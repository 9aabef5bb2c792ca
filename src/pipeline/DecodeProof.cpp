#include "pipeline/DecodeProof.h"

#include "pipeline/DOSOutputs.h"
#include "pipeline/FailureReport.h"
#include "pipeline/TranscoderOutput.h"

#include <QFile>
#include <QCoreApplication>

DecodeOutcome proveDecode(const DOSOutputs &runner, const QString &workWav)
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
    FailureReport report = explainFailure(runner.Outputs(), runner.exitedNormally(), runner.exitCode());
    if (report.cause == FailureCause::Unknown && exitedWell)
        report.sentence = QCoreApplication::translate("DecodeProof", "转换程序没有生成可播放的声音。");
    return {std::nullopt, failureText(report)};
}
