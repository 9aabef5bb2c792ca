#include "settings/ShapingChoices.h"

#include <QList>

#include <optional>
#include <utility>

namespace shaping_choice {

namespace {

const QString NormalizeWord = QStringLiteral("Normalize");

struct Fade {
    bool in;
    std::int64_t ms;
};

// "FadeIn<ms>" or "FadeOut<ms>" with one of the offered lengths
std::optional<Fade> fadeOf(const QString &word)
{
    static const QList<std::pair<QString, Fade>> offered = {
        {QStringLiteral("FadeIn500"), {true, 500}},    {QStringLiteral("FadeIn1000"), {true, 1000}},
        {QStringLiteral("FadeIn2000"), {true, 2000}},  {QStringLiteral("FadeOut500"), {false, 500}},
        {QStringLiteral("FadeOut1000"), {false, 1000}}, {QStringLiteral("FadeOut2000"), {false, 2000}},
        {QStringLiteral("FadeOut3000"), {false, 3000}},
    };
    for (const auto &[name, fade] : offered) {
        if (name == word)
            return fade;
    }
    return std::nullopt;
}

}  // namespace

bool isShapingWord(const QString &word)
{
    return word == NormalizeWord || fadeOf(word).has_value();
}

CutShaping chosen(const CutShaping &shaping, const QString &word)
{
    CutShaping next = shaping;
    if (word == NormalizeWord) {
        next.normalize = !shaping.normalize;
    } else if (const std::optional<Fade> fade = fadeOf(word)) {
        std::int64_t &length = fade->in ? next.fadeInMs : next.fadeOutMs;
        length = length == fade->ms ? 0 : fade->ms;
    }
    return next;
}

bool isOn(const CutShaping &shaping, const QString &word)
{
    if (word == NormalizeWord)
        return shaping.normalize;
    const std::optional<Fade> fade = fadeOf(word);
    return fade && (fade->in ? shaping.fadeInMs : shaping.fadeOutMs) == fade->ms;
}

}  // namespace shaping_choice
