// What a Qt program of ours sets up before its application object: a private runtime
// folder, the offscreen platform when nothing is to be shown, and Qt's own diagnostics
// kept off the terminal (they are collected, and shown where they explain a failure).
#pragma once

#include <string>

namespace keltora {

// Call before the QGuiApplication / QApplication is created. Sets XDG_RUNTIME_DIR to a
// private folder when it is not set (Qt complains otherwise), and QT_QPA_PLATFORM to
// "offscreen" when `headless` (no window will be shown) or when there is no display;
// a platform the user chose is kept.
void prepareQtEnvironment(bool headless);

// Installs a message handler: Qt's debug, info and warning messages are kept instead of
// printed (KELTORA_QT_MESSAGES=1 prints them too); critical and fatal ones are printed.
void routeQtMessages();

// The last message Qt sent since routeQtMessages (empty when none), for error texts.
std::string lastQtMessage();

} // namespace keltora
