// Profiles: the capture settings of an object and filter kept under a name,
// each a small settings file beside the program's own, loaded with one click
// from the Profiles menu.
#include <QAction>
#include <QFile>
#include <QInputDialog>
#include <QMenu>
#include <QMessageBox>

#include "app/main_window.h"

QString TForm1::ProfilesDirectory() const {
    return ProfilesFolder(SettingsStore().FileName());
}

void TForm1::FillProfilesMenu() {
    Profiles1->clear();  // the commands belong to the window and stay
    Profiles1->addAction(SaveProfileAs1);
    Profiles1->addAction(RenameProfile1);
    Profiles1->addAction(DeleteProfile1);
    Profiles1->addSeparator();
    const QStringList names = ProfileNames(ProfilesDirectory());
    RenameProfile1->setEnabled(!names.isEmpty());
    DeleteProfile1->setEnabled(!names.isEmpty());
    if (names.isEmpty()) {
        Profiles1->addAction(no_profiles_item_);
        return;
    }
    for (const QString &name : names) {
        QAction *item = Profiles1->addAction(name);
        item->setCheckable(true);
        item->setChecked(name == profile_name_);
        connect(item, &QAction::triggered, this, [this, name] { LoadProfile(name); });
    }
}

void TForm1::SaveProfileAsClick() {
    QInputDialog dialog(this);
    dialog.setWindowFlag(Qt::WindowStaysOnTopHint);  // above the tool windows
    dialog.setWindowTitle(texts_.PRF_SAVEAS);
    dialog.setLabelText(texts_.PRF_NAME);
    dialog.setTextValue(profile_name_);
    if (dialog.exec() == QDialog::Accepted) {
        SaveProfile(dialog.textValue().trimmed());
    }
}

QString TForm1::ChooseProfile(const QString &title) {
    const QStringList names = ProfileNames(ProfilesDirectory());
    QInputDialog dialog(this);
    dialog.setWindowFlag(Qt::WindowStaysOnTopHint);
    dialog.setWindowTitle(title);
    dialog.setLabelText(texts_.PRF_NAME);
    dialog.setComboBoxItems(names);
    dialog.setTextValue(names.contains(profile_name_) ? profile_name_ : names.value(0));
    return dialog.exec() == QDialog::Accepted ? dialog.textValue() : QString();
}

void TForm1::RenameProfileClick() {
    const QString name = ChooseProfile(texts_.PRF_RENAME);
    if (name.isEmpty()) {
        return;
    }
    QInputDialog dialog(this);
    dialog.setWindowFlag(Qt::WindowStaysOnTopHint);
    dialog.setWindowTitle(texts_.PRF_RENAME);
    dialog.setLabelText(texts_.PRF_NAME);
    dialog.setTextValue(name);
    if (dialog.exec() == QDialog::Accepted) {
        RenameProfile(name, dialog.textValue().trimmed());
    }
}

void TForm1::DeleteProfileClick() {
    const QString name = ChooseProfile(texts_.PRF_DELETE);
    if (name.isEmpty()) {
        return;
    }
    QMessageBox ask(QMessageBox::Question, texts_.PRF_DELETE, texts_.PRF_DELETEASK.arg(name),
                    QMessageBox::Yes | QMessageBox::No, this);
    ask.setWindowFlag(Qt::WindowStaysOnTopHint);
    if (ask.exec() == QMessageBox::Yes) {
        DeleteProfile(name);
    }
}

bool TForm1::SaveProfile(const QString &name) {
    if (!IsProfileName(name)) {
        ShowNotice(texts_.PRF_BADNAME);
        return false;
    }
    QString error;
    if (!WriteProfile(ProfileFile(ProfilesDirectory(), name), CurrentCaptureState(), error)) {
        ShowNotice(error);
        return false;
    }
    profile_name_ = name;
    return true;
}

// The whole profile or nothing: a file that does not read in full leaves
// every setting as it was.
bool TForm1::LoadProfile(const QString &name) {
    if (Recorder->Recording()) {
        ShowNotice(texts_.PRF_RECORDING);
        return false;
    }
    QString error;
    const std::optional<CaptureState> state =
        ReadProfile(ProfileFile(ProfilesDirectory(), name), error);
    if (!state) {
        qWarning("Omtrix: %s", qUtf8Printable(error));
        ShowNotice(texts_.PRF_DAMAGED + QStringLiteral("\n\n") + error);
        return false;
    }
    ApplyCaptureState(*state);
    profile_name_ = name;
    return true;
}

bool TForm1::RenameProfile(const QString &name, const QString &new_name) {
    if (!IsProfileName(new_name)) {
        ShowNotice(texts_.PRF_BADNAME);
        return false;
    }
    const QString folder = ProfilesDirectory();
    if (new_name == name) {
        return true;
    }
    // A name that differs only in case is the same file on some systems.
    if (new_name.compare(name, Qt::CaseInsensitive) != 0 &&
        QFile::exists(ProfileFile(folder, new_name))) {
        ShowNotice(texts_.PRF_EXISTS);
        return false;
    }
    if (!QFile::rename(ProfileFile(folder, name), ProfileFile(folder, new_name))) {
        ShowNotice(texts_.PRF_NOTSAVED);
        return false;
    }
    if (profile_name_ == name) {
        profile_name_ = new_name;
    }
    return true;
}

bool TForm1::DeleteProfile(const QString &name) {
    if (!QFile::remove(ProfileFile(ProfilesDirectory(), name))) {
        ShowNotice(texts_.PRF_NOTSAVED);
        return false;
    }
    if (profile_name_ == name) {
        profile_name_.clear();
    }
    return true;
}
