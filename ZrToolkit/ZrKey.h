#pragma once

// The keys the toolkit's controls react to, already freed of the window
// system's key codes and modifiers (Shift+Tab arrives as BackTab, Alt+Down and
// F4 as OpenList).
enum class ZrKey {
    Tab,
    BackTab,
    Up,
    Down,
    Left,
    Right,
    Home,
    End,
    Space,
    Enter,
    Escape,
    OpenList,
};
