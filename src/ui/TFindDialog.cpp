#include "ui/TFindDialog.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace mq {

namespace {

constexpr const char* DateFormat = "yyyy-MM-dd";

QCheckBox* tick(const QString& text, const char* name, QWidget* parent) {
    auto* box = new QCheckBox(text, parent);
    box->setObjectName(QLatin1String(name));
    return box;
}

QDateEdit* dateEdit(const char* name, QWidget* parent) {
    auto* edit = new QDateEdit(parent);
    edit->setObjectName(QLatin1String(name));
    edit->setCalendarPopup(true);
    edit->setDisplayFormat(QLatin1String(DateFormat));
    edit->setDate(QDate::currentDate());
    return edit;
}

// The local date-time at the start of `date`, as the list's dates are.
double dayStart(const QDate& date) {
    return *parseSearchDate(date.toString(QLatin1String(DateFormat)).toStdString());
}

}  // namespace

TFindDialog::TFindDialog(bool folderChosen, QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("TFindDialog"));
    setWindowTitle(QStringLiteral("Find Messages"));

    words_ = new QLineEdit(this);
    words_->setObjectName(QStringLiteral("FindWords"));
    words_->setAccessibleName(QStringLiteral("Words to find"));
    words_->setMinimumWidth(320);
    auto* wordsLabel = new QLabel(QStringLiteral("&Words:"), this);
    wordsLabel->setBuddy(words_);
    auto* hint = new QLabel(
        QStringLiteral("Every word must occur; put \"a phrase\" in quotes. Case is ignored."),
        this);

    auto* fields = new QGroupBox(QStringLiteral("Look in"), this);
    subject_ = tick(QStringLiteral("&Subject"), "FindSubject", fields);
    people_ = tick(QStringLiteral("&People (From, To, Reply-To)"), "FindPeople", fields);
    text_ = tick(QStringLiteral("Message &text"), "FindText", fields);
    attachments_ = tick(QStringLiteral("&Attachment names"), "FindAttachments", fields);
    auto* fieldsLayout = new QVBoxLayout(fields);
    for (QCheckBox* box : {subject_, people_, text_, attachments_}) fieldsLayout->addWidget(box);

    auto* where = new QGroupBox(QStringLiteral("Where"), this);
    allFolders_ = new QRadioButton(QStringLiteral("A&ll folders"), where);
    allFolders_->setObjectName(QStringLiteral("FindAllFolders"));
    thisFolder_ = new QRadioButton(QStringLiteral("This f&older"), where);
    thisFolder_->setObjectName(QStringLiteral("FindThisFolder"));
    thisFolder_->setEnabled(folderChosen);
    auto* whereLayout = new QHBoxLayout(where);
    whereLayout->addWidget(allFolders_);
    whereLayout->addWidget(thisFolder_);
    allFolders_->setChecked(true);

    dateRange_ = tick(QStringLiteral("&Received from"), "FindDateRange", this);
    from_ = dateEdit("FindFrom", this);
    from_->setAccessibleName(QStringLiteral("Received from"));
    to_ = dateEdit("FindTo", this);
    to_->setAccessibleName(QStringLiteral("Received to"));
    auto* dates = new QHBoxLayout;
    dates->addWidget(dateRange_);
    dates->addWidget(from_);
    dates->addWidget(new QLabel(QStringLiteral("to"), this));
    dates->addWidget(to_);
    dates->addStretch(1);
    problem_ = new QLabel(this);
    problem_->setObjectName(QStringLiteral("FindProblem"));
    problem_->setStyleSheet(QStringLiteral("color: #b00000"));
    problem_->hide();

    auto* buttons = new QDialogButtonBox(this);
    find_ = buttons->addButton(QStringLiteral("&Find"), QDialogButtonBox::AcceptRole);
    find_->setObjectName(QStringLiteral("FindButton"));
    find_->setDefault(true);
    QPushButton* cancel = buttons->addButton(QDialogButtonBox::Cancel);
    cancel->setObjectName(QStringLiteral("CancelButton"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* wordsRow = new QHBoxLayout;
    wordsRow->addWidget(wordsLabel);
    wordsRow->addWidget(words_, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(wordsRow);
    layout->addWidget(hint);
    auto* choices = new QHBoxLayout;
    choices->addWidget(fields, 1);
    choices->addWidget(where, 1, Qt::AlignTop);
    layout->addLayout(choices);
    layout->addLayout(dates);
    layout->addWidget(problem_);
    layout->addWidget(buttons);

    connect(words_, &QLineEdit::textChanged, this, &TFindDialog::updateFindButton);
    for (QCheckBox* box : {subject_, people_, text_, attachments_, dateRange_})
        connect(box, &QCheckBox::toggled, this, &TFindDialog::updateFindButton);
    for (QDateEdit* edit : {from_, to_})
        connect(edit, &QDateEdit::dateChanged, this, &TFindDialog::updateFindButton);
    updateFindButton();
}

void TFindDialog::fill(const TPref& pref) {
    words_->setText(QString::fromStdString(pref.FindWords));
    const unsigned fields =
        parseSearchFields(pref.FindFields).value_or(SearchSubject | SearchPeople);
    subject_->setChecked(fields & SearchSubject);
    people_->setChecked(fields & SearchPeople);
    text_->setChecked(fields & SearchText);
    attachments_->setChecked(fields & SearchAttachments);
    (pref.FindAllFolders || !thisFolder_->isEnabled() ? allFolders_ : thisFolder_)
        ->setChecked(true);
    dateRange_->setChecked(pref.FindDateRange);
    for (const auto& [edit, text] :
         {std::pair{from_, &pref.FindFrom}, std::pair{to_, &pref.FindTo}}) {
        const QDate date =
            QDate::fromString(QString::fromStdString(*text), QLatin1String(DateFormat));
        if (date.isValid()) edit->setDate(date);
    }
    words_->selectAll();
    updateFindButton();
}

void TFindDialog::readBack(TPref& pref) const {
    pref.FindWords = words_->text().toStdString();
    pref.FindFields = searchFieldNames(query().fields);
    pref.FindAllFolders = allFolders();
    pref.FindDateRange = dateRange_->isChecked();
    pref.FindFrom = from_->date().toString(QLatin1String(DateFormat)).toStdString();
    pref.FindTo = to_->date().toString(QLatin1String(DateFormat)).toStdString();
}

SearchQuery TFindDialog::query() const {
    SearchQuery query;
    query.terms = parseSearchTerms(words_->text().toStdString());
    query.fields = (subject_->isChecked() ? SearchSubject : 0u) |
                   (people_->isChecked() ? SearchPeople : 0u) |
                   (text_->isChecked() ? SearchText : 0u) |
                   (attachments_->isChecked() ? SearchAttachments : 0u);
    if (dateRange_->isChecked()) {
        query.from = dayStart(from_->date());
        query.until = dayStart(to_->date().addDays(1));  // the last day is whole
    }
    return query;
}

QString TFindDialog::words() const {
    return words_->text().simplified();
}

bool TFindDialog::allFolders() const {
    return allFolders_->isChecked();
}

void TFindDialog::updateFindButton() {
    from_->setEnabled(dateRange_->isChecked());
    to_->setEnabled(dateRange_->isChecked());
    const bool backwards = dateRange_->isChecked() && to_->date() < from_->date();
    problem_->setText(backwards ? QStringLiteral("The end of the date range is before its start.")
                                : QString());
    problem_->setVisible(backwards);
    const SearchQuery wanted = query();
    find_->setEnabled(!wanted.terms.empty() && wanted.fields != 0 && !backwards);
}

}  // namespace mq
