#include "playback/PreviewGain.h"

#include <QFileInfo>
#include <QFutureWatcher>
#include <QPromise>
#include <QThreadPool>
#include <utility>

PreviewGain::PreviewGain(Measure measure) : m_measure(std::move(measure)) {}

PreviewGain::~PreviewGain() = default;

void PreviewGain::request(const QString &wav, const Selection &selection, std::int64_t fadeInMs,
                          std::int64_t fadeOutMs, Ready ready)
{
    const QFileInfo file(wav);
    const Stretch stretch{wav, file.size(), file.lastModified().toMSecsSinceEpoch(), selection, fadeInMs, fadeOutMs};
    if (m_known && m_known->first == stretch) {
        m_ready = nullptr;
        ready(m_known->second);
        return;
    }
    m_ready = std::move(ready);
    if (m_watcher && m_measuring == stretch)
        return;  // already under way

    // The worker keeps its own copy of the measure and of the promise: a
    // watcher dropped meanwhile (a new stretch, or this object gone) only
    // leaves its answer unheard.
    auto promise = std::make_shared<QPromise<Gain>>();
    promise->start();
    m_measuring = stretch;
    m_watcher = std::make_unique<QFutureWatcher<Gain>>();
    QFutureWatcher<Gain> *watcher = m_watcher.get();
    QObject::connect(watcher, &QFutureWatcherBase::finished, watcher, [this, watcher] {
        if (watcher != m_watcher.get())
            return;
        m_known.emplace(m_measuring, watcher->result());
        m_watcher.release()->deleteLater();
        if (Ready ready = std::exchange(m_ready, nullptr))
            ready(m_known->second);
    });
    watcher->setFuture(promise->future());
    QThreadPool::globalInstance()->start([promise, measure = m_measure, stretch] {
        promise->addResult(measure(stretch.wav, stretch.selection, stretch.fadeInMs, stretch.fadeOutMs));
        promise->finish();
    });
}
