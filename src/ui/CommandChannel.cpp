#include "ui/CommandChannel.h"

#include "model/Seams.h"
#include "settings/ShapingChoices.h"
#include "settings/Vendor.h"
#include <QCoreApplication>

CommandChannel::CommandChannel(MessageSeam &messages, Actions actions)
    : m_messages(messages), m_actions(std::move(actions))
{
}

QString CommandChannel::aboutText()
{
    return QCoreApplication::translate("CommandChannel", "Brindlewave %1 — 铃声制作工具，由 Brindlewave 开发者制作  \r\n%2  ")
        .arg(QStringLiteral(BRINDLEWAVE_VERSION), QLatin1String(VendorWebPage));
}

void CommandChannel::write(const QString &commandWord)
{
    m_word = commandWord;
    dispatch();  // every write, also one that repeats the text already there
}

void CommandChannel::dispatch()
{
    // Each comparison reads the slot again: an action may write to it.
    const QString &slot = m_word;
    if (slot == QLatin1String("About"))
        m_messages.show(aboutText(), QCoreApplication::translate("CommandChannel", "About"), MessageButtons::Ok, MessageIcon::None);
    if (slot == QLatin1String("Exit") && m_actions.exit)
        m_actions.exit();
    if (slot == QLatin1String("RRC"))
        m_actions.toolbar(ToolbarActions::Button::Random);
    if (slot == QLatin1String("SR"))
        m_actions.toolbar(ToolbarActions::Button::Share);
    if (slot == QLatin1String("Help"))
        m_actions.toolbar(ToolbarActions::Button::Website);
    if (slot == QLatin1String("OpenFile"))
        m_actions.toolbar(ToolbarActions::Button::Open);
    // "OpenRecent:N", N counted from 0, newest first
    if (slot.startsWith(QLatin1String("OpenRecent:")) && m_actions.openRecent) {
        bool ok = false;
        const int index = QStringView(slot).mid(11).toInt(&ok);
        if (ok)
            m_actions.openRecent(index);
    }
    if (slot == QLatin1String("CloseFile") && m_actions.closeFile)
        m_actions.closeFile();
    if (slot == QLatin1String("SaveRingTone"))
        m_actions.toolbar(ToolbarActions::Button::Save);
    if (slot == QLatin1String("Setting"))
        m_actions.toolbar(ToolbarActions::Button::Settings);
    if (slot == QLatin1String("Loop") && m_actions.loop)
        m_actions.loop();
    if (slot == QLatin1String("Undo") && m_actions.undo)
        m_actions.undo();
    if (slot == QLatin1String("Redo") && m_actions.redo)
        m_actions.redo();
    if (slot == QLatin1String("ViewAll") && m_actions.viewAll)
        m_actions.viewAll();
    if (slot == QLatin1String("ViewSelection") && m_actions.viewSelection)
        m_actions.viewSelection();
    if (shaping_choice::isShapingWord(slot) && m_actions.shape)
        m_actions.shape(slot);
}
