#pragma once

// For buttons that stay down while what they opened is showing: the night
// palette's own down state is too faint to see at the telescope.
inline constexpr const char *TOGGLE_BUTTON_STYLE =
    "QPushButton, QToolButton { background: #3c3c40; color: #dcdcdc; border: 1px solid #18181a;"
    " border-radius: 3px; padding: 3px; }"
    "QPushButton:checked, QToolButton:checked { background: #963030; color: white; }"
    "QPushButton:pressed, QToolButton:pressed { background: #5a5a60; }";
