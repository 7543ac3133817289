#include "qt/host_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCursor>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPlainTextEdit>
#include <QRegularExpressionValidator>
#include <QScreen>
#include <QWindow>
#include <array>

#include "qt/qt_render_engine.h"

namespace calvorn::qt {
namespace {

dui::Point ToPoint(const QPointF& p) {
    return {static_cast<int>(p.x()), static_cast<int>(p.y())};
}

unsigned ToModifiers(Qt::KeyboardModifiers modifiers) {
    unsigned result = 0;
    if (modifiers & Qt::ControlModifier) {
        result |= dui::kModCtrl;
    }
    if (modifiers & Qt::ShiftModifier) {
        result |= dui::kModShift;
    }
    if (modifiers & Qt::AltModifier) {
        result |= dui::kModAlt;
    }
    return result;
}

// Qt key codes to the virtual-key numbers the controls understand; 0 for keys they ignore.
std::uint32_t ToVirtualKey(int key) {
    if (key >= Qt::Key_A && key <= Qt::Key_Z) {
        return static_cast<std::uint32_t>('A' + (key - Qt::Key_A));
    }
    if (key >= Qt::Key_0 && key <= Qt::Key_9) {
        return static_cast<std::uint32_t>('0' + (key - Qt::Key_0));
    }
    if (key >= Qt::Key_F1 && key <= Qt::Key_F24) {
        return static_cast<std::uint32_t>(0x70 + (key - Qt::Key_F1));
    }
    switch (key) {
        case Qt::Key_Backspace:
            return dui::kKeyBack;
        case Qt::Key_Tab:
            return dui::kKeyTab;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            return dui::kKeyReturn;
        case Qt::Key_Escape:
            return dui::kKeyEscape;
        case Qt::Key_Space:
            return dui::kKeySpace;
        case Qt::Key_PageUp:
            return dui::kKeyPageUp;
        case Qt::Key_PageDown:
            return dui::kKeyPageDown;
        case Qt::Key_End:
            return dui::kKeyEnd;
        case Qt::Key_Home:
            return dui::kKeyHome;
        case Qt::Key_Left:
            return dui::kKeyLeft;
        case Qt::Key_Up:
            return dui::kKeyUp;
        case Qt::Key_Right:
            return dui::kKeyRight;
        case Qt::Key_Down:
            return dui::kKeyDown;
        case Qt::Key_Delete:
            return dui::kKeyDelete;
        default:
            return 0;
    }
}

Qt::CursorShape ToCursorShape(int cursor_id) {
    switch (cursor_id) {
        case 32513:
            return Qt::IBeamCursor;
        case 32514:
            return Qt::WaitCursor;
        case 32515:
            return Qt::CrossCursor;
        case 32516:
            return Qt::UpArrowCursor;
        case 32642:
            return Qt::SizeFDiagCursor;
        case 32643:
            return Qt::SizeBDiagCursor;
        case 32644:
            return Qt::SizeHorCursor;
        case 32645:
            return Qt::SizeVerCursor;
        case 32646:
            return Qt::SizeAllCursor;
        case 32648:
            return Qt::ForbiddenCursor;
        case 32649:
            return Qt::PointingHandCursor;
        default:
            return Qt::ArrowCursor;
    }
}

// Controls that only show something; a press on them inside the caption drags the window.
bool IsPassive(const dui::Control* control) {
    static constexpr std::array<std::string_view, 8> kPassive = {
        "Control",   "Container",  "VerticalLayout", "HorizontalLayout",
        "TabLayout", "TileLayout", "Label",          "Text"};
    if (control == nullptr) {
        return true;
    }
    const std::string_view cls = control->GetClass();
    return std::find(kPassive.begin(), kPassive.end(), cls) != kPassive.end();
}

QString EditorStyle(const dui::TextEditRequest& request) {
    const QColor text = ToQColor(request.text_color);
    const QString background = dui::IsDrawn(request.background)
                                   ? ToQColor(request.background).name(QColor::HexArgb)
                                   : QStringLiteral("transparent");
    return QStringLiteral("border: none; padding: 0 4px; color: %1; background: %2;")
        .arg(text.name(QColor::HexArgb), background);
}

// The UI layer's rectangle (right and bottom exclusive) for a Qt one.
dui::Rect FromQRect(const QRect& rect) {
    return {rect.left(), rect.top(), rect.right() + 1, rect.bottom() + 1};
}

}  // namespace

HostWindow::HostWindow(dui::PaintManager& manager, Kind kind, HostWindow* owner)
    : QWidget(nullptr, kind == Kind::kPopup ? Qt::Popup | Qt::FramelessWindowHint
                                            : Qt::Window | Qt::FramelessWindowHint),
      manager_(manager),
      kind_(kind),
      owner_(owner),
      images_(owner != nullptr ? owner->images_ : own_images_) {
    setAttribute(Qt::WA_OpaquePaintEvent, kind == Kind::kTopLevel);
    setAttribute(Qt::WA_TranslucentBackground, kind == Kind::kPopup);
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    manager_.SetHost(this);
    const dui::Size init = manager_.GetInitSize();
    if (init.cx > 0 && init.cy > 0) {
        resize(manager_.Scale(init.cx), manager_.Scale(init.cy));
    }
    manager_.SetWindowSize({width(), height()});
}

HostWindow::~HostWindow() {
    for (auto& [popup, window] : popups_) {
        popup->SetHost(nullptr);
        delete window;
    }
    popups_.clear();
    // A closed pop-up's paint manager may already be gone when the deferred delete runs.
    if (!detached_ && manager_.GetHost() == this) {
        manager_.SetHost(nullptr);
    }
}

void HostWindow::CenterOnScreen() {
    const QScreen* screen =
        this->screen() != nullptr ? this->screen() : QGuiApplication::primaryScreen();
    if (screen == nullptr) {
        return;
    }
    const QRect area = screen->availableGeometry();
    move(area.center() - QPoint(width() / 2, height() / 2));
}

QImage HostWindow::Render() {
    QImage image(size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    PaintInto(painter, rect());
    painter.end();
    return image;
}

void HostWindow::PaintInto(QPainter& painter, const QRect& dirty) {
    manager_.UpdateLayout();
    QtRenderEngine engine(painter, images_, &layers_);
    manager_.Paint(engine, FromQRect(dirty));
}

void HostWindow::paintEvent(QPaintEvent* event) {
    if (detached_) {
        return;
    }
    if (event->rect().contains(pending_update_)) {
        pending_update_ = QRect();
    }
    QPainter painter(this);
    // A top-level window is opaque: black shows wherever its tree paints nothing, unless the
    // tree covers the whole area itself.
    const QRect area = event->rect();
    const dui::Control* root = manager_.GetRoot();
    const bool covered = root != nullptr && root->HidesArea(FromQRect(area));
    if (kind_ == Kind::kTopLevel && !covered) {
        painter.fillRect(area, Qt::black);
    }
    PaintInto(painter, area);
}

void HostWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (detached_) {
        return;
    }
    manager_.SetWindowSize({width(), height()});
}

void HostWindow::Invalidate(const dui::Rect& rect) {
    // Every area due for repaint is merged into one rectangle. A frame of key colours would
    // otherwise build a region of many rectangles: slow to grow, and it makes every fill and
    // image of the next paint go the raster engine's slow, clipped way.
    const QRect area = rect.IsEmpty() ? this->rect() : ToQRect(rect);
    if (pending_update_.contains(area)) {
        return;
    }
    pending_update_ = pending_update_.united(area);
    update(pending_update_);
}

void HostWindow::SetCapture() {
    // Qt keeps sending mouse events to the pressed widget until release: an implicit grab.
}

void HostWindow::ReleaseCapture() {}

dui::Point HostWindow::ClientToScreen(dui::Point point) const {
    const QPoint global = mapToGlobal(QPoint(point.x, point.y));
    return {global.x(), global.y()};
}

dui::Point HostWindow::CursorScreenPos() const {
    const QPoint pos = QCursor::pos();
    return {pos.x(), pos.y()};
}

void HostWindow::SetCursor(int cursor_id) {
    setCursor(ToCursorShape(cursor_id));
}

void HostWindow::ResizeWindow(dui::Size size) {
    resize(size.cx, size.cy);
}

bool HostWindow::OpenPopup(dui::PaintManager& popup, const dui::Rect& screen_rect) {
    auto* window = new HostWindow(popup, Kind::kPopup, this);
    window->setGeometry(screen_rect.left, screen_rect.top, screen_rect.Width(),
                        screen_rect.Height());
    popup.SetWindowSize({screen_rect.Width(), screen_rect.Height()});
    popups_[&popup] = window;
    window->show();
    return true;
}

void HostWindow::ClosePopup(dui::PaintManager& popup) {
    auto it = popups_.find(&popup);
    if (it == popups_.end()) {
        return;
    }
    HostWindow* window = it->second;
    popups_.erase(it);
    window->dismissed_ = true;  // closed on purpose: no dismiss callback
    window->detached_ = true;   // its paint manager may go away before the widget does
    popup.SetHost(nullptr);
    window->hide();
    window->deleteLater();
}

void HostWindow::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    // A pop-up hidden by Qt (a click outside, Escape) was dismissed by the user.
    if (kind_ == Kind::kPopup && !dismissed_) {
        dismissed_ = true;
        manager_.OnPopupDismissed();
    }
}

void HostWindow::ShowTextEditor(const dui::TextEditRequest& request, dui::ITextEditSink* sink) {
    if (active_editor_ != nullptr && editor_sink_ != sink) {
        active_editor_->hide();
    }
    editor_sink_ = sink;
    const QString text = QString::fromStdString(request.text);
    if (request.multi_line) {
        if (text_editor_ == nullptr) {
            text_editor_ = new QPlainTextEdit(this);
            text_editor_->installEventFilter(this);
            connect(text_editor_, &QPlainTextEdit::textChanged, this, [this] {
                if (editor_sink_ != nullptr && active_editor_ == text_editor_) {
                    editor_sink_->OnEditorTextChanged(text_editor_->toPlainText().toStdString());
                }
            });
        }
        active_editor_ = text_editor_;
        QSignalBlocker block(text_editor_);
        text_editor_->setPlainText(text);
        text_editor_->setReadOnly(request.read_only);
        text_editor_->moveCursor(QTextCursor::End);
    } else {
        if (line_editor_ == nullptr) {
            line_editor_ = new QLineEdit(this);
            line_editor_->installEventFilter(this);
            connect(line_editor_, &QLineEdit::textEdited, this, [this](const QString& value) {
                if (editor_sink_ != nullptr && active_editor_ == line_editor_) {
                    editor_sink_->OnEditorTextChanged(value.toStdString());
                }
            });
            connect(line_editor_, &QLineEdit::returnPressed, this, [this] {
                if (editor_sink_ != nullptr && active_editor_ == line_editor_) {
                    editor_sink_->OnEditorReturn();
                }
            });
        }
        active_editor_ = line_editor_;
        line_editor_->setMaxLength(request.max_chars > 0 ? request.max_chars : 32767);
        line_editor_->setEchoMode(request.password ? QLineEdit::Password : QLineEdit::Normal);
        line_editor_->setReadOnly(request.read_only);
        line_editor_->setValidator(
            request.number_only ? new QRegularExpressionValidator(
                                      QRegularExpression(QStringLiteral("[0-9]*")), line_editor_)
                                : nullptr);
        line_editor_->setText(text);
        line_editor_->end(false);
    }
    active_editor_->setFont(QtRenderEngine::ToQFont(request.font));
    active_editor_->setStyleSheet(EditorStyle(request));
    active_editor_->setGeometry(ToQRect(request.rect));
    active_editor_->show();
    active_editor_->setFocus(Qt::OtherFocusReason);
}

void HostWindow::HideTextEditor(dui::ITextEditSink* sink) {
    if (sink != editor_sink_ || active_editor_ == nullptr) {
        return;
    }
    editor_sink_ = nullptr;
    QWidget* editor = active_editor_;
    active_editor_ = nullptr;
    editor->hide();
    setFocus(Qt::OtherFocusReason);
}

void HostWindow::EditorFocusLost() {
    dui::ITextEditSink* sink = editor_sink_;
    if (sink == nullptr) {
        return;
    }
    sink->OnEditorFocusLost();
    if (editor_sink_ == sink && active_editor_ != nullptr) {
        editor_sink_ = nullptr;
        active_editor_->hide();
        active_editor_ = nullptr;
    }
}

bool HostWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == active_editor_ && event->type() == QEvent::FocusOut) {
        EditorFocusLost();
    }
    return QWidget::eventFilter(watched, event);
}

std::optional<dui::Size> HostWindow::ImageSize(const std::string& path) {
    return images_.SizeOf(path);
}

void HostWindow::mouseMoveEvent(QMouseEvent* event) {
    if (detached_) {
        return;
    }
    manager_.OnMouseMove(ToPoint(event->position()), ToModifiers(event->modifiers()));
}

void HostWindow::mousePressEvent(QMouseEvent* event) {
    if (detached_) {
        return;
    }
    const dui::Point point = ToPoint(event->position());
    if (event->button() == Qt::LeftButton) {
        if (kind_ == Kind::kTopLevel && point.y < caption_height_ &&
            IsPassive(manager_.FindControl(point)) && windowHandle() != nullptr &&
            windowHandle()->startSystemMove()) {
            return;
        }
        manager_.OnButtonDown(point, ToModifiers(event->modifiers()));
    }
}

void HostWindow::mouseReleaseEvent(QMouseEvent* event) {
    if (detached_) {
        return;
    }
    if (event->button() == Qt::LeftButton) {
        manager_.OnButtonUp(ToPoint(event->position()), ToModifiers(event->modifiers()));
    }
}

void HostWindow::mouseDoubleClickEvent(QMouseEvent* event) {
    if (detached_) {
        return;
    }
    if (event->button() == Qt::LeftButton) {
        manager_.OnDoubleClick(ToPoint(event->position()), ToModifiers(event->modifiers()));
    }
}

void HostWindow::wheelEvent(QWheelEvent* event) {
    if (detached_) {
        return;
    }
    manager_.OnWheel(ToPoint(event->position()), event->angleDelta().y(),
                     ToModifiers(event->modifiers()));
}

void HostWindow::contextMenuEvent(QContextMenuEvent* event) {
    if (detached_) {
        return;
    }
    manager_.OnContextMenu({event->pos().x(), event->pos().y()});
}

void HostWindow::keyPressEvent(QKeyEvent* event) {
    if (detached_) {
        return;
    }
    // Keys the native editor leaves unhandled (Enter, which it reports itself) bubble up here;
    // they belong to the editor's control, which has already heard of them.
    if (active_editor_ != nullptr && active_editor_->hasFocus()) {
        return;
    }
    if (const std::uint32_t key = ToVirtualKey(event->key()); key != 0) {
        manager_.OnKeyDown(key, ToModifiers(event->modifiers()));
    }
    for (const char32_t c : event->text().toStdU32String()) {
        if (c >= 0x20 && c != 0x7F) {
            manager_.OnChar(c);
        }
    }
}

void HostWindow::leaveEvent(QEvent* event) {
    QWidget::leaveEvent(event);
    if (detached_) {
        return;
    }
    manager_.OnMouseLeave();
}

void HostWindow::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && !isActiveWindow() && !detached_) {
        manager_.OnWindowDeactivated();
    }
}

void HostWindow::closeEvent(QCloseEvent* event) {
    if (kind_ == Kind::kTopLevel && on_close_) {
        event->ignore();
        on_close_();
        return;
    }
    QWidget::closeEvent(event);
}

}  // namespace calvorn::qt
