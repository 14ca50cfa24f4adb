#include "core/workspace/consultationstep.h"

#include <QCoreApplication>

QString ConsultationStep::name(Kind kind)
{
    static const char* const names[] = {
        QT_TRANSLATE_NOOP("Undo", "ペースト"),
        QT_TRANSLATE_NOOP("Undo", "置き換え"),
        QT_TRANSLATE_NOOP("Undo", "移動"),
        QT_TRANSLATE_NOOP("Undo", "拡大縮小"),
        QT_TRANSLATE_NOOP("Undo", "回転"),
        QT_TRANSLATE_NOOP("Undo", "削除"),
        QT_TRANSLATE_NOOP("Undo", "明るさ・コントラスト"),
        QT_TRANSLATE_NOOP("Undo", "カラーバランス"),
        QT_TRANSLATE_NOOP("Undo", "ポイント追加"),
        QT_TRANSLATE_NOOP("Undo", "ポイント移動"),
        QT_TRANSLATE_NOOP("Undo", "ポイント削除"),
        QT_TRANSLATE_NOOP("Undo", "ポイント複製"),
        QT_TRANSLATE_NOOP("Undo", "クリップ削除"),
        QT_TRANSLATE_NOOP("Undo", "閉曲線"),
        QT_TRANSLATE_NOOP("Undo", "クリップ確定"),
        QT_TRANSLATE_NOOP("Undo", "クリップ領域指定"),
        QT_TRANSLATE_NOOP("Undo", "画像数"),
    };
    static_assert(sizeof names / sizeof *names == PaneCount + 1, "one name per kind");
    return QCoreApplication::translate("Undo", names[kind]);
}

ConsultationStep::ConsultationStep(
    Workspace& ws, Kind kind, ConsultationSnapshot before, ConsultationSnapshot after, int mergeKey)
    : QUndoCommand(name(kind))
    , m_ws(ws)
    , m_kind(kind)
    , m_before(std::move(before))
    , m_after(std::move(after))
    , m_mergeKey(mergeKey)
{
}

void ConsultationStep::undo()
{
    m_before.applyTo(m_ws);
    m_taken = false;
}

void ConsultationStep::redo()
{
    if (!m_taken)
        m_after.applyTo(m_ws);
    m_taken = false;
}

int ConsultationStep::id() const
{
    // One id for every mergeable step; mergeWith compares kind and key.
    return m_mergeKey >= 0 ? 1 : -1;
}

bool ConsultationStep::mergeWith(const QUndoCommand* other)
{
    const auto* next = dynamic_cast<const ConsultationStep*>(other);
    if (!next || next->m_kind != m_kind || next->m_mergeKey != m_mergeKey)
        return false;
    m_after = next->m_after;
    // Nudged there and back: nothing left to undo.
    setObsolete(m_after == m_before);
    return true;
}
