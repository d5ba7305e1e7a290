#include "window/ChatFonts.h"

namespace {

constexpr int kCharHeight = -11;

} // namespace

BYTE QxChatCharsetForLanguage(LANGID langId) {
    switch (langId) {
    case 1028:
    case 3076:
    case 4100: return CHINESEBIG5_CHARSET;
    case 1041: return SHIFTJIS_CHARSET;
    case 1042:
    case 2066: return JOHAB_CHARSET; // 130 (not Hangul 129) on Korean systems
    case 2052: return GB2312_CHARSET;
    default: return ANSI_CHARSET;
    }
}

bool QxChatUsesDefaultGuiFont(LANGID langId) {
    return langId == 1042 || langId == 2066;
}

GdiFont QxCreateChatFont(int nWeight, bool bUnderline, LANGID langId) {
    LOGFONTW lf = {};
    if (QxChatUsesDefaultGuiFont(langId)) {
        GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof(lf), &lf);
    } else {
        lstrcpynW(lf.lfFaceName, L"Tahoma", LF_FACESIZE);
    }
    lf.lfHeight = kCharHeight;
    lf.lfWidth = 0;
    lf.lfWeight = nWeight;
    lf.lfUnderline = bUnderline ? TRUE : FALSE;
    lf.lfCharSet = QxChatCharsetForLanguage(langId);
    return GdiFont(CreateFontIndirectW(&lf));
}

GdiFont QxCreateChatFont(int nWeight, bool bUnderline) {
    return QxCreateChatFont(nWeight, bUnderline, GetSystemDefaultLangID());
}
