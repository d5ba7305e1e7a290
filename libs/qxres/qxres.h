/* Resource ids of the string-resource libraries qxres.dll and qxres_lite.dll.
 *
 * This is the one list of ids: the libraries' .rc, the chat module's own fallback .rc and the
 * module's code all take their numbers from here. Plain #defines only, so that windres can read
 * it as well as the C++ compiler. */
#ifndef QXRES_QXRES_H
#define QXRES_QXRES_H

/* Dialog templates. */
#define IDD_CHAT_DIALOG 1000 /* the chat panel: controls 100-108 below */
#define IDD_NOTICE 1100      /* notice window: an owned pop-up, created hidden, no caption */

/* Controls of IDD_CHAT_DIALOG. */
#define IDC_PLACEHOLDER 100   /* static, hidden at start and never shown */
#define IDC_INPUT 101         /* multi-line edit, the input box */
#define IDC_SEND 102          /* push button "Send" */
#define IDC_HIDDEN_104 104    /* static, always hidden */
#define IDC_SEND_TO_LABEL 105 /* static "Send to:" */
#define IDC_HIDDEN_106 106    /* static, always hidden */
#define IDC_PHRASE_LABEL 107  /* static "Quick Phrase:" */
#define IDC_RECIPIENT 108     /* drop-down list combo box, the recipient box */
#define IDC_PHRASE_BOX 109    /* not in the template: the quick-phrase box the module creates */

/* Controls of IDD_NOTICE. */
#define IDC_NOTICE_TEXT 110 /* static with the notice; its text stands in the template */

/* Menu 1000: submenu 0 is the message list's popup, submenu 1 the input box's popup. */
#define IDR_POPUP_MENUS 1000
#define IDM_POPUP_MESSAGE_LIST 0 /* submenu positions */
#define IDM_POPUP_INPUT 1

#define IDM_LIST_COPY 100
#define IDM_LIST_RESERVED 101 /* always disabled */
#define IDM_LIST_SELECT_ALL 102

#define IDM_INPUT_UNDO 100
#define IDM_INPUT_CUT 101
#define IDM_INPUT_COPY 102
#define IDM_INPUT_PASTE 103
#define IDM_INPUT_DELETE 104
#define IDM_INPUT_SELECT_ALL 105

/* Bitmap: the icon in front of each line of the indication strip. */
#define IDB_INDICATION_ICON 1000

/* Cursor: the hand shown over a link in the message list. */
#define IDCUR_LINK_HAND 1000

/* Strings. */
#define IDS_TIP_SEND 102 /* tooltips are looked up by the id of the control they belong to */

#define IDS_TITLE 1000                  /* title of the chat's message boxes */
#define IDS_SEND 1100                   /* Send button */
#define IDS_SEND_TO 1101                /* recipient label */
#define IDS_GROUP_EVERYONE 1102         /* group name, id 15 */
#define IDS_GROUP_HOSTS 1103            /* group name, id 1 */
#define IDS_ERR_LOAD 1105               /* transcript cannot be loaded */
#define IDS_OPEN_TITLE 1107             /* title of the open-transcript dialog */
#define IDS_SAVE_TITLE 1111             /* title of the save-transcript dialog */
#define IDS_ALT_DEFAULT_FILE 1112       /* initial file name, alternative transcript format */
#define IDS_GROUP_PRESENTERS 1113       /* group name, id 2 */
#define IDS_AUTOSAVE_FILE 1140          /* appended directly to the auto-save folder */
#define IDS_INPUT_PROMPT 1301           /* placeholder text of the input box, never sent */
#define IDS_GROUP_PANELISTS 1302        /* group name, id 4 */
#define IDS_GROUP_HOSTS_PRESENTERS 1304 /* group name, id 3 */
#define IDS_FMT_SENDER 1311             /* sender text: one %s, the sender name */
#define IDS_ALT_FILTER 1312             /* file filter, alternative transcript format, '|' separated */
#define IDS_FALLBACK_FOLDER 1314        /* used when the documents folder cannot be found */
#define IDS_GROUP_ATTENDEES 1319        /* group name, id 8 */
#define IDS_BEEP_NAME 1408              /* sound name that selects the built-in beep */
#define IDS_ALT_EXTENSION 1415          /* default extension (no dot), alternative format */
#define IDS_EXTENSION 1416              /* default extension (no dot) */
#define IDS_FILTER 1417                 /* file filter, first part, '|' separated */
#define IDS_FILTER_ALL 1418             /* file filter, appended to IDS_FILTER */
#define IDS_DEFAULT_FILE 1419           /* initial file name of the save dialog */
#define IDS_RECORD_SOURCE 1421          /* recording provider: item source */
#define IDS_RECORD_NAME 1422            /* recording provider: item name; also the print file's name */
#define IDS_RECORD_SENDER 1423          /* recording provider: sender attribute name */
#define IDS_FMT_RECEIVER 1425           /* receiver text: one %s, the receiver name */
#define IDS_HEADER_SUFFIX 1426          /* appended to every header line */
#define IDS_PRIVATE_MARKER 1427         /* marks a private message in its header */
#define IDS_TIP_SEND_CHAT 1428          /* tooltip of the Send button */
#define IDS_FMT_GROUP_HEADER 1429       /* two %s: sender name, destination name */
#define IDS_FMT_PRIVATE_HEADER 1430     /* two %s: sender name, receiver name */
#define IDS_ASK_OVERWRITE_READONLY 1431 /* one %s: the path */
#define IDS_ERR_CLOSE 1434              /* transcript file could not be closed */
#define IDS_PHRASE_LABEL 1435           /* quick-phrase label */
#define IDS_PRIVATE_CHAT 1437           /* label of the private-chat entry of the recipient list */
#define IDS_ERR_NOT_TRANSCRIPT 1438     /* load: not a transcript file */
#define IDS_ERR_WRITE_OPEN 1439         /* save: file cannot be opened for writing */
#define IDS_ERR_WRITE_SHORT 1440        /* save: a write came out short */
#define IDS_CHAT_UNAVAILABLE 1450       /* notice: the chat of this meeting could not be set up */
#define IDS_SEND_FAILED 1451            /* notice: a message could not be sent, its text stays */
#define IDS_CONFERENCE_LOST 1441        /* list notice: the chat lost its conference */

#endif
