#include "mainwindow/ui/filter_bar.h"

#include "analysis/agent_catalog.h"
#include "core/access_record.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QToolButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace tw {
namespace {

const QString kDateTimeFormat = u"yyyy/MM/dd HH:mm:ss"_s;

QDateTimeEdit* dateTimeBox(QWidget* parent, const QTime& time)
{
    auto* box = new QDateTimeEdit(QDateTime(QDate::currentDate(), time), parent);
    box->setDisplayFormat(kDateTimeFormat);
    box->setCalendarPopup(true);
    box->setEnabled(false);
    return box;
}

} // namespace

FilterBar::FilterBar(QWidget* parent)
    : QWidget(parent), m_field(new QComboBox(this)), m_mode(new QComboBox(this)),
      m_text(new QLineEdit(this)), m_regex(new QCheckBox(u"正規表現"_s, this)),
      m_withoutBots(new QCheckBox(u"ボットを除く"_s, this)),
      m_fromOn(new QCheckBox(u"開始"_s, this)), m_from(dateTimeBox(this, QTime(0, 0))),
      m_untilOn(new QCheckBox(u"終了"_s, this)), m_until(dateTimeBox(this, QTime(23, 59, 59))),
      m_add(new QToolButton(this)), m_clear(new QToolButton(this)), m_saved(new QComboBox(this)),
      m_save(new QToolButton(this)), m_removeSaved(new QToolButton(this)), m_chips(new QHBoxLayout)
{
    setObjectName(u"filterBar"_s);
    m_mode->addItems({u"含む"_s, u"含まない"_s});
    m_regex->setObjectName(u"chkRegex"_s);
    m_withoutBots->setObjectName(u"chkWithoutBots"_s);
    m_fromOn->setObjectName(u"chkFrom"_s);
    m_untilOn->setObjectName(u"chkUntil"_s);
    m_withoutBots->setToolTip(u"クローラーなどのボットのアクセスを表示しません"_s);
    m_text->setPlaceholderText(u"絞り込む文字列"_s);
    m_text->setClearButtonEnabled(true);
    m_text->setMinimumWidth(160);
    m_add->setText(u"条件に追加"_s);
    m_add->setToolTip(u"入力中の条件を固定して、次の条件を入力できるようにします"_s);
    m_clear->setText(u"フィルタ解除"_s);
    m_saved->setPlaceholderText(u"保存したフィルタ"_s);
    m_saved->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    m_saved->setToolTip(u"名前を付けて保存したフィルタを選びます"_s);
    m_save->setText(u"フィルタを保存..."_s);
    m_save->setToolTip(u"今の条件に名前を付けて保存します"_s);
    m_removeSaved->setText(u"削除"_s);
    m_removeSaved->setToolTip(u"選んでいる保存したフィルタを削除します"_s);
    m_removeSaved->setEnabled(false);
    setFields(kColumnFields);

    auto* inputs = new QHBoxLayout;
    inputs->setContentsMargins(0, 0, 0, 0);
    inputs->addWidget(m_field);
    inputs->addWidget(m_mode);
    inputs->addWidget(m_text, 1);
    inputs->addWidget(m_regex);
    inputs->addWidget(m_add);
    inputs->addSpacing(12);
    inputs->addWidget(m_fromOn);
    inputs->addWidget(m_from);
    inputs->addWidget(m_untilOn);
    inputs->addWidget(m_until);
    inputs->addSpacing(12);
    inputs->addWidget(m_clear);
    m_chips->setContentsMargins(0, 0, 0, 0);
    m_chips->addStretch(1);
    // The second row: the stacked chips, then what applies to the whole filter.
    auto* whole = new QHBoxLayout;
    whole->setContentsMargins(0, 0, 0, 0);
    whole->addLayout(m_chips, 1);
    whole->addWidget(m_withoutBots);
    whole->addSpacing(12);
    whole->addWidget(m_saved);
    whole->addWidget(m_save);
    whole->addWidget(m_removeSaved);
    auto* rows = new QVBoxLayout(this);
    rows->setContentsMargins(4, 2, 4, 2);
    rows->setSpacing(2);
    rows->addLayout(inputs);
    rows->addLayout(whole);

    const auto changed = [this] { emit filterChanged(); };
    connect(m_text, &QLineEdit::textChanged, this, changed);
    connect(m_text, &QLineEdit::returnPressed, this, &FilterBar::stackTyped);
    connect(m_add, &QToolButton::clicked, this, &FilterBar::stackTyped);
    connect(m_clear, &QToolButton::clicked, this, &FilterBar::clear);
    connect(m_save, &QToolButton::clicked, this, &FilterBar::saveRequested);
    // The name picked last stays shown, for the remove button; picking it again applies it again.
    connect(m_saved, &QComboBox::activated, this, &FilterBar::savedChosen);
    connect(m_saved, &QComboBox::currentIndexChanged, this,
            [this](int index) { m_removeSaved->setEnabled(index >= 0); });
    connect(m_removeSaved, &QToolButton::clicked, this, [this] {
        if (m_saved->currentIndex() >= 0)
            emit savedRemoveRequested(m_saved->currentIndex());
    });
    for (QComboBox* box : {m_field, m_mode})
        connect(box, &QComboBox::currentIndexChanged, this, [this] {
            if (!m_text->text().isEmpty())
                emit filterChanged();
        });
    connect(m_regex, &QCheckBox::toggled, this, [this] {
        if (!m_text->text().isEmpty())
            emit filterChanged();
    });
    connect(m_withoutBots, &QCheckBox::toggled, this, changed);
    for (auto [on, box] : {std::pair(m_fromOn, m_from), std::pair(m_untilOn, m_until)}) {
        connect(on, &QCheckBox::toggled, this, [this, on = on] { startRangeAtTheList(on); });
        connect(on, &QCheckBox::toggled, box, &QWidget::setEnabled);
        connect(on, &QCheckBox::toggled, this, changed);
        connect(box, &QDateTimeEdit::dateTimeChanged, this, [this, on = on] {
            if (on->isChecked())
                emit filterChanged();
        });
    }
}

void FilterBar::setFields(FieldSet fields)
{
    const int chosen =
        m_field->currentData().isValid() ? m_field->currentData().toInt() : kAnyField;
    const QSignalBlocker block(m_field);
    m_field->clear();
    m_field->addItem(u"すべて"_s, kAnyField);
    for (int f = 0; f < kMaxFieldCount; ++f) {
        if (fields & (1u << f))
            m_field->addItem(columnCaption(f), f);
    }
    const int at = m_field->findData(chosen);
    m_field->setCurrentIndex(at >= 0 ? at : 0);
}

void FilterBar::startRangeAtTheList(QCheckBox* on)
{
    const DateSpan span = on->isChecked() && m_dateSpan ? m_dateSpan() : std::nullopt;
    if (!span)
        return;
    // The range leaves out its end: the last row's second is in, the one after it is not.
    const bool from = on == m_fromOn;
    const QDateTime at =
        QDateTime::fromString(QString::fromLatin1(from ? span->first : span->second),
                              kDateTimeFormat)
            .addSecs(from ? 0 : 1);
    if (at.isValid()) {
        QDateTimeEdit* box = from ? m_from : m_until;
        const QSignalBlocker block(box);
        box->setDateTime(at);
    }
}

void FilterBar::setMatchCase(bool matchCase)
{
    if (matchCase == m_matchCase)
        return;
    m_matchCase = matchCase;
    if (!m_text->text().isEmpty())
        emit filterChanged();
}

std::optional<FilterCondition> FilterBar::typedCondition() const
{
    const QString text = m_text->text();
    if (text.isEmpty())
        return std::nullopt;
    const int field = m_field->currentData().toInt();
    const bool negated = m_mode->currentIndex() == 1;
    return m_regex->isChecked() ? FilterCondition::regex(field, text, m_matchCase, negated)
                                : FilterCondition::contains(field, text, m_matchCase, negated);
}

std::optional<FilterCondition> FilterBar::rangeCondition() const
{
    if (!m_fromOn->isChecked() && !m_untilOn->isChecked())
        return std::nullopt;
    const auto end = [](const QCheckBox* on, const QDateTimeEdit* box) {
        return on->isChecked() ? box->dateTime().toString(kDateTimeFormat).toLatin1()
                               : QByteArray();
    };
    return FilterCondition::dateRange(end(m_fromOn, m_from), end(m_untilOn, m_until));
}

RowFilter FilterBar::filter() const
{
    RowFilter filter = parts().filter;
    if (m_withoutBots->isChecked())
        filter.conditions.push_back(*botCondition(BotChoice::Exclude));
    return filter;
}

// The bot switch stays a check box in a saved filter, not one of its conditions.
FilterParts FilterBar::parts() const
{
    FilterParts parts{{m_stacked}, m_withoutBots->isChecked()};
    if (const auto typed = typedCondition(); typed && typedError().isEmpty())
        parts.filter.conditions.push_back(*typed);
    if (const auto range = rangeCondition())
        parts.filter.conditions.push_back(*range);
    return parts;
}

void FilterBar::setParts(const FilterParts& parts)
{
    QSignalBlocker block(this);
    clear();
    m_stacked = parts.filter.conditions;
    m_withoutBots->setChecked(parts.withoutBots);
    rebuildChips();
    block.unblock();
    emit filterChanged();
}

void FilterBar::setSavedNames(const QStringList& names)
{
    const QSignalBlocker block(m_saved);
    m_saved->clear();
    m_saved->addItems(names);
    m_saved->setCurrentIndex(-1);
    m_saved->setEnabled(!names.isEmpty());
    m_removeSaved->setEnabled(false);
}

QString FilterBar::typedError() const
{
    return m_regex->isChecked() && !m_text->text().isEmpty() ? regexError(m_text->text())
                                                             : QString();
}

void FilterBar::addCondition(const FilterCondition& condition)
{
    m_stacked.push_back(condition);
    rebuildChips();
    emit filterChanged();
}

void FilterBar::stackTyped()
{
    const auto typed = typedCondition();
    if (!typed || !typedError().isEmpty())
        return;
    m_stacked.push_back(*typed);
    {
        const QSignalBlocker block(m_text);
        m_text->clear();
    }
    rebuildChips(); // the same rows pass: no new filtering
}

void FilterBar::clear()
{
    const bool had = isActive();
    m_stacked.clear();
    for (QWidget* box : std::initializer_list<QWidget*>{m_text, m_fromOn, m_untilOn, m_withoutBots})
        box->blockSignals(true);
    m_text->clear();
    m_withoutBots->setChecked(false);
    m_fromOn->setChecked(false);
    m_untilOn->setChecked(false);
    m_from->setEnabled(false);
    m_until->setEnabled(false);
    for (QWidget* box : std::initializer_list<QWidget*>{m_text, m_fromOn, m_untilOn, m_withoutBots})
        box->blockSignals(false);
    rebuildChips();
    if (had)
        emit filterChanged();
}

void FilterBar::rebuildChips()
{
    while (m_chips->count() > 1) {
        QLayoutItem* item = m_chips->takeAt(0);
        item->widget()->deleteLater(); // a chip may be the one being clicked
        delete item;
    }
    for (std::size_t i = 0; i < m_stacked.size(); ++i) {
        auto* chip = new QToolButton(this);
        chip->setText(m_stacked[i].label() + u"  ×"_s);
        chip->setToolTip(u"この条件を外します"_s);
        chip->setAutoRaise(false);
        connect(chip, &QToolButton::clicked, this, [this, i] {
            if (i < m_stacked.size()) {
                m_stacked.erase(m_stacked.begin() + std::ptrdiff_t(i));
                rebuildChips();
                emit filterChanged();
            }
        });
        m_chips->insertWidget(int(i), chip);
    }
}

QStringList FilterBar::chipLabels() const
{
    QStringList labels;
    for (const FilterCondition& c : m_stacked)
        labels << c.label();
    return labels;
}

} // namespace tw
