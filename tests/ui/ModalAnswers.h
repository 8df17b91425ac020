#pragma once
#include "support/MessageBoxWatch.h"

// Answers the modal windows a command opens, in the order a test expects them. A modal
// window nobody expected is closed and recorded, so that a test never hangs on it.
#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <QWidget>

#include <deque>
#include <functional>

class ModalAnswers : public QObject {
public:
    /// Returns false when the window is not of the kind the step expects.
    using Step = std::function<bool(QWidget*)>;

    ModalAnswers()
    {
        timer_.setInterval(15);
        connect(&timer_, &QTimer::timeout, this, &ModalAnswers::poll);
        timer_.start();
    }

    void expect(Step step) { steps_.push_back(std::move(step)); }

    /// The file dialog takes `path` and is accepted.
    void chooseFile(const QString& path, QString* proposed = nullptr)
    {
        expect([path, proposed](QWidget* w) {
            auto* dialog = qobject_cast<QFileDialog*>(w);
            if (!dialog) return false;
            if (proposed) *proposed = dialog->selectedFiles().value(0);
            dialog->selectFile(path);
            // The dialog may still apply its proposed name once its folder has loaded; the
            // name field is what an accepted dialog reads, so set it as a user would type.
            if (auto* edit = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")))
                edit->setText(path);
            QMetaObject::invokeMethod(dialog, "accept");
            return true;
        });
    }

    void cancelFile()
    {
        expect([](QWidget* w) {
            auto* dialog = qobject_cast<QFileDialog*>(w);
            if (!dialog) return false;
            dialog->reject();
            return true;
        });
    }

    using Box = SeenBox;

    /// The message box is read into `box` and acknowledged with its button.
    void acknowledge(Box* box)
    {
        expect([box](QWidget* w) {
            auto* message = qobject_cast<QMessageBox*>(w);
            if (!message) return false;
            *box = ReadBox(*message);
            PressOk(*message);
            return true;
        });
    }

    bool allAnswered() const { return steps_.empty(); }
    const QStringList& unexpected() const { return unexpected_; }

private:
    void poll()
    {
        QWidget* w = QApplication::activeModalWidget();
        if (!w || !w->isVisible() || w == last_) return;
        last_ = w;
        if (!steps_.empty()) {
            Step step = std::move(steps_.front());
            steps_.pop_front();
            if (step(w)) return;
        }
        unexpected_ << (w->metaObject()->className() + QStringLiteral(": ") + w->windowTitle());
        if (auto* box = qobject_cast<QMessageBox*>(w))
            PressOk(*box);
        else if (auto* dialog = qobject_cast<QDialog*>(w))
            dialog->reject();
        else
            w->close();
    }

    QTimer timer_;
    std::deque<Step> steps_;
    QStringList unexpected_;
    QPointer<QWidget> last_;
};
