#include "mainwindow/clsProject.h"

#include "base/Text.h"
#include "mainwindow/TaskListModel.h"
#include "project/ProjectFile.h"
#include "util/MsgBox.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QVariant>

namespace zdr::mainwindow {

namespace {

std::vector<QWidget*> storedControls(QWidget* form)
{
    std::vector<QWidget*> controls;
    const QVariant order = form->property("zdrStoredControls");
    if (order.isValid()) {
        for (const QString& name : order.toStringList())
            if (auto* w = form->findChild<QWidget*>(name))
                controls.push_back(w);
        return controls;
    }
    for (QWidget* w : form->findChildren<QWidget*>())
        if (!w->objectName().isEmpty())
            controls.push_back(w);
    return controls;
}

std::string text(const QString& s) { return s.toStdString(); }
QString qtext(const std::string& s) { return QString::fromStdString(s); }

Qt::CheckState qtCheckState(int value)
{
    return value == 1 ? Qt::Checked : value == 2 ? Qt::PartiallyChecked : Qt::Unchecked;
}

// A list view is a view over the project's tasks.
TaskListModel* taskModelOf(QWidget* control)
{
    auto* view = qobject_cast<QAbstractItemView*>(control);
    return view ? qobject_cast<TaskListModel*>(view->model()) : nullptr;
}

project::ListViewData listViewData(const QAbstractItemView* view, const TaskListModel& model)
{
    project::ListViewData data;
    for (const project::Task& task : model.tasks())
        data.rows.push_back(taskRow(task));
    const QModelIndex current = view->currentIndex();
    if (current.isValid() && view->selectionModel()->isRowSelected(current.row(), {}))
        data.selectedKey = model.tasks()[static_cast<std::size_t>(current.row())].key;
    return data;
}

void restoreListView(QAbstractItemView* view, TaskListModel& model, const project::ListViewData& data)
{
    std::vector<project::Task> tasks;
    int selected = -1;
    for (const project::ListViewRow& row : data.rows) {
        if (!data.selectedKey.empty() && row.key == data.selectedKey)
            selected = static_cast<int>(tasks.size());
        tasks.push_back(taskFromRow(row));
    }
    model.setTasks(std::move(tasks));
    if (selected >= 0)
        view->setCurrentIndex(model.index(selected, 0));
}

// Whether a control of the element's kind can take its value.
bool fits(const project::ProjectElement& element, QWidget* control, std::string& description)
{
    const auto refuse = [&](const std::string& why) {
        description = "Der Wert von '" + element.name + "' kann nicht übernommen werden: " + why;
        return false;
    };
    switch (element.kind) {
    case project::ControlKind::Text:
        if (!qobject_cast<QLineEdit*>(control) && !qobject_cast<QPlainTextEdit*>(control))
            return refuse("kein Textfeld.");
        return true;
    case project::ControlKind::Check:
        return qobject_cast<QCheckBox*>(control) ? true : refuse("kein Kontrollkästchen.");
    case project::ControlKind::Combo: {
        auto* combo = qobject_cast<QComboBox*>(control);
        if (!combo)
            return refuse("kein Auswahlfeld.");
        if (base::numberValue(element.value) >= combo->count())
            return refuse("Index " + element.value + " ist nicht in der Liste.");
        return true;
    }
    case project::ControlKind::List: return qobject_cast<QListWidget*>(control) ? true : refuse("keine Liste.");
    case project::ControlKind::ListView: {
        if (!taskModelOf(control))
            return refuse("keine Listenansicht.");
        const auto subItems = static_cast<std::size_t>(project::kSubItemCount);
        for (std::size_t i = 0; i < element.listView.rows.size(); ++i)
            if (element.listView.rows[i].subItems.size() > subItems)
                return refuse("Zeile " + std::to_string(i + 1) + " hat mehr als " + std::to_string(subItems + 3)
                              + " Felder.");
        return true;
    }
    case project::ControlKind::NotStored: return true;
    }
    return true;
}

void apply(const project::ProjectElement& element, QWidget* control)
{
    switch (element.kind) {
    case project::ControlKind::Text:
        if (auto* edit = qobject_cast<QLineEdit*>(control))
            edit->setText(qtext(element.value));
        else if (auto* plain = qobject_cast<QPlainTextEdit*>(control))
            plain->setPlainText(qtext(element.value));
        break;
    case project::ControlKind::Check:
        qobject_cast<QCheckBox*>(control)->setCheckState(
            qtCheckState(static_cast<int>(base::numberValue(element.value))));
        break;
    case project::ControlKind::Combo:
        qobject_cast<QComboBox*>(control)->setCurrentIndex(static_cast<int>(base::numberValue(element.value)));
        break;
    case project::ControlKind::List: {
        auto* list = qobject_cast<QListWidget*>(control);
        list->clear();
        for (const std::string& entry : element.listEntries)
            list->addItem(qtext(entry));
        break;
    }
    case project::ControlKind::ListView:
        restoreListView(qobject_cast<QAbstractItemView*>(control), *taskModelOf(control), element.listView);
        break;
    case project::ControlKind::NotStored: break;
    }
}

} // namespace

int clsProject::checkValue(const QCheckBox* box)
{
    switch (box->checkState()) {
    case Qt::Checked: return 1;
    case Qt::PartiallyChecked: return 2;
    default: return 0;
    }
}

project::ProjectDocument clsProject::documentFromForm(QWidget* form, const QString& exclusions)
{
    const std::string excluded = ";" + text(exclusions) + ";";
    project::ProjectDocument doc;
    for (QWidget* control : storedControls(form)) {
        const std::string name = text(control->objectName());
        if (base::icontains(excluded, ";" + name + ";"))
            continue;
        project::ProjectElement element;
        element.name = name;
        element.kind = project::controlKindOf(name);
        switch (element.kind) {
        case project::ControlKind::Text:
            if (auto* edit = qobject_cast<QLineEdit*>(control))
                element.value = text(edit->text());
            else if (auto* plain = qobject_cast<QPlainTextEdit*>(control))
                element.value = text(plain->toPlainText());
            break;
        case project::ControlKind::Check:
            if (auto* box = qobject_cast<QCheckBox*>(control))
                element.value = std::to_string(checkValue(box));
            break;
        case project::ControlKind::Combo:
            if (auto* combo = qobject_cast<QComboBox*>(control))
                element.value = std::to_string(combo->currentIndex());
            break;
        case project::ControlKind::List:
            if (auto* list = qobject_cast<QListWidget*>(control))
                for (int i = 0; i < list->count(); ++i)
                    element.listEntries.push_back(text(list->item(i)->text()));
            break;
        case project::ControlKind::ListView:
            if (TaskListModel* model = taskModelOf(control))
                element.listView = listViewData(qobject_cast<QAbstractItemView*>(control), *model);
            break;
        case project::ControlKind::NotStored: continue;
        }
        doc.elements.push_back(std::move(element));
    }
    return doc;
}

bool clsProject::applyDocument(const project::ProjectDocument& doc, QWidget* form, std::string& description)
{
    std::vector<std::pair<const project::ProjectElement*, QWidget*>> targets;
    for (const project::ProjectElement& element : doc.elements) {
        QWidget* control = form->findChild<QWidget*>(qtext(element.name));
        if (!control)
            continue; // elements that name no control are ignored
        if (!fits(element, control, description))
            return false;
        targets.emplace_back(&element, control);
    }
    for (const auto& [element, control] : targets)
        apply(*element, control);
    return true;
}

bool clsProject::fc_ProjectSaveXML(const QString& fileName, const QString& rootName, QWidget* form,
                                   const QString& exclusions)
{
    std::string description;
    if (!writeProjectFile(text(fileName), text(rootName), documentFromForm(form, exclusions), description)) {
        util::ui::msgBox(form, "Beim Speichern des Projektes ist folgender Fehler aufgetreten: \r\n" + description);
        return false;
    }
    return true;
}

bool clsProject::fc_ProjectLoadXML(const QString& fileName, const QString& rootName, QWidget* form)
{
    project::ProjectDocument doc;
    std::string description;
    if (!readProjectFile(text(fileName), text(rootName), doc, description) || !applyDocument(doc, form, description)) {
        util::ui::msgBox(form, "Beim Laden des Projektes ist folgender Fehler aufgetreten: \r\n" + description);
        return false;
    }
    return true;
}

} // namespace zdr::mainwindow
