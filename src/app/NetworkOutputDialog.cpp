#include "app/NetworkOutputDialog.h"

#include "ui_NetworkOutputDialog.h"

#include <QDir>
#include <QFileDialog>

namespace undarix::app {

namespace {
constexpr std::uint64_t kMegabyte = 1'000'000;
}

NetworkOutputDialog::NetworkOutputDialog(QWidget* parent)
    : QDialog(parent), form_(std::make_unique<Ui::NetworkOutputDialog>()) {
    form_->setupUi(this);
    form_->topicRootEdit->setPlaceholderText(files::DefaultTopicRoot());
    connect(form_->buttonBox, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(form_->buttonBox, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(form_->tlsCheck, &QCheckBox::toggled, this, [this] { ShowTlsFields(); });
    connect(form_->caFileButton, &QPushButton::clicked, this,
            [this] { BrowseFile(form_->caFileEdit, "CA certificate of the broker"); });
    connect(form_->certFileButton, &QPushButton::clicked, this,
            [this] { BrowseFile(form_->certFileEdit, "Client certificate"); });
    connect(form_->keyFileButton, &QPushButton::clicked, this,
            [this] { BrowseFile(form_->keyFileEdit, "Client key"); });
    connect(form_->queueFolderButton, &QPushButton::clicked, this, [this] { BrowseFolder(); });
    form_->hostEdit->setToolTip("The name or address of the MQTT broker.");
    form_->topicRootEdit->setToolTip(
        "Topics: ROOT/<device>/line, ROOT/<device>/samples, ROOT/<device>/seastate and "
        "ROOT/status.");
    form_->queueFolderEdit->setToolTip(
        "Messages the broker cannot take yet wait here, also across a restart of the program.");
    form_->queueFolderEdit->setPlaceholderText(
        QString("Empty: beside the data files while they are saved, else %1")
            .arg(QDir::toNativeSeparators(files::WindowQueuePath(QDir::homePath()))));
    ShowTlsFields();
}

NetworkOutputDialog::~NetworkOutputDialog() = default;

void NetworkOutputDialog::ShowTlsFields() {
    const bool tls = form_->tlsCheck->isChecked();
    const QList<QWidget*> tlsFields = {form_->caFileEdit,   form_->caFileButton,
                                       form_->certFileEdit, form_->certFileButton,
                                       form_->keyFileEdit,  form_->keyFileButton};
    for (QWidget* widget : tlsFields)
        widget->setEnabled(tls);
}

void NetworkOutputDialog::BrowseFile(QLineEdit* field, const QString& title) {
    const QString path = QFileDialog::getOpenFileName(this, title, field->text());
    if (!path.isEmpty()) field->setText(path);
}

void NetworkOutputDialog::BrowseFolder() {
    const QString path =
        QFileDialog::getExistingDirectory(this, "Queue folder", form_->queueFolderEdit->text());
    if (!path.isEmpty()) form_->queueFolderEdit->setText(path);
}

void NetworkOutputDialog::SetSettings(const files::NetworkOutputSettings& settings) {
    form_->enabledCheck->setChecked(settings.enabled);
    form_->hostEdit->setText(settings.host);
    form_->portSpin->setValue(settings.port);
    form_->tlsCheck->setChecked(settings.tls);
    form_->caFileEdit->setText(settings.caFile);
    form_->certFileEdit->setText(settings.certFile);
    form_->keyFileEdit->setText(settings.keyFile);
    form_->userEdit->setText(settings.user);
    form_->passwordEdit->setText(settings.password);
    form_->rememberPasswordCheck->setChecked(settings.rememberPassword);
    form_->topicRootEdit->setText(settings.topicRoot);
    form_->queueFolderEdit->setText(settings.queueFolder);
    form_->queueBoundSpin->setValue(int(settings.queueBound / kMegabyte));
    ShowTlsFields();
}

files::NetworkOutputSettings NetworkOutputDialog::Settings() const {
    files::NetworkOutputSettings settings;
    settings.enabled = form_->enabledCheck->isChecked();
    settings.host = form_->hostEdit->text().trimmed();
    settings.port = form_->portSpin->value();
    settings.tls = form_->tlsCheck->isChecked();
    settings.caFile = form_->caFileEdit->text().trimmed();
    settings.certFile = form_->certFileEdit->text().trimmed();
    settings.keyFile = form_->keyFileEdit->text().trimmed();
    settings.user = form_->userEdit->text().trimmed();
    settings.password = form_->passwordEdit->text();
    settings.rememberPassword = form_->rememberPasswordCheck->isChecked();
    settings.topicRoot = form_->topicRootEdit->text().trimmed();
    settings.queueFolder = form_->queueFolderEdit->text().trimmed();
    settings.queueBound = std::uint64_t(form_->queueBoundSpin->value()) * kMegabyte;
    return settings;
}

} // namespace undarix::app
