// The look of the dialog windows: the small dialog font of the templates
// and widgets slim enough to fit the controls' places.
#pragma once

// Applies the style to every window of the display (GTK thread).
void ApplyDialogStyle();
