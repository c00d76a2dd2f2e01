#pragma once
// What assistive technology sees of the task pane: the bar as a pane, each
// group as a grouping named by its caption, and each item as a link with its
// caption as name, its enabled and visible state, and a press action.

/// Registers the accessibility factory for the task pane classes (once per
/// process; every bar calls it when created).
void installDmGroupBarAccessibility();
