// The texts and fonts of the setup dialog in the library's three languages.
#pragma once

namespace pendrel {

struct TSetupTexts {
    const char* caption;
    const char* voltageGroup;
    const char* currentLabel;
    const char* offHookLabel;
    const char* onHookLabel;
    const char* suggestedLabel;
    const char* testButton;
    const char* saveButton;
    const char* agcBox;
    const char* logGroup;
    const char* logBox;
    const char* showLogButton;      // the button's text as designed
    const char* showLogOpenText;    // while the log is shown
    const char* showLogClosedText;  // while the log is hidden
    const char* offHookConfirmCaption;
    const char* offHookConfirmText;
    const char* onHookConfirmCaption;
    const char* onHookConfirmText;
    const char* fontFamily;
};

// The texts of language 1, 2 or 3; any other value gives language 1.
const TSetupTexts& SetupTexts(int lang);

}  // namespace pendrel
