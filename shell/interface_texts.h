#pragma once

#include <QString>

// The interface texts of the active language, one per language-file key.
// The messages and status formats start as the English texts the program
// carries, for what is shown before a language is applied; control captions
// start empty, since the controls carry their own English captions until then.
struct InterfaceTexts {
    // Main window menu.
    QString M_FILE;
    QString M_EXIT;
    QString M_COLOR;
    QString M_CAMERA;
    QString M_CAPTURE;
    QString M_FLIP;  // replaced by MNU_HFLIP
    QString M_ZOOM;
    QString M_TIMESTAMP;
    QString M_TIMESTAMP_VISIBLE;
    QString M_TIMESTAMP_CONFIG;
    QString M_LANGUAGE;
    QString ABOUT;      // the menu item and the About window's caption
    QString FRM_HISTO;  // the menu item and the histogram window's caption

    // Messages; some are held without a window that shows them.
    QString MSG_COVERCAMERA =
        QStringLiteral("Cover the camera for the dark frames, then press OK.");
    QString MSG_UNCOVERCAMERA =
        QStringLiteral("Dark frames done. Uncover the camera, then press OK.");
    QString WARNING;
    QString OVERWRITE;
    QString SETAVIFILE = QStringLiteral("Please set the capture location and file name first.");
    QString SETFITFILE;
    QString AVIERROR = QStringLiteral("The output file could not be written.");
    QString AVINAMEERROR;
    QString FITNAMEERROR;
    QString CAMERA_CONNECTING = QStringLiteral("Connecting to the camera...");
    QString CAMERA_CONNECTED = QStringLiteral("Camera connected");
    QString LICENSED_FROM;
    QString MINIMAL_EXPOSURE_TIME;
    QString NO_CAMERA_ERROR = QStringLiteral("No camera detected");

    // Main window controls and the Roddier window.
    QString LBL_GAIN;
    QString LBL_RODDIER;
    QString WIN_RODDIER;
    QString WIN_RODREFCOLOR;
    QString WIN_RODCIRWIDTH;
    QString WIN_RODCIRSIZE;
    QString WIN_RODSIZECHECK;
    QString WIN_RODPOINTA;
    QString WIN_RODPOINTB;
    QString WIN_RODPOINTC;
    QString WIN_RODUSEREF;
    QString WIN_ROD_SHOWSIZE;

    // Status of a recording: format texts with one integer each ("%d"),
    // seconds left and frames saved for SECONDSLEFT.
    QString SAVE_FRAME;
    QString FRAMES_LEFT = QStringLiteral("%d frames left");
    QString MEMORYLEFT = QStringLiteral("%d MB");
    QString CAPTURING = QStringLiteral("Capturing...");
    QString SECONDSLEFT = QStringLiteral("%d s left, %d frames");
    // A recording ended without a frame: its empty output was removed.
    QString NOFRAMES_RECORDED = QStringLiteral("No frame was recorded; no file was kept.");

    // Menus, windows and controls.
    QString CAPTURELOCATION;  // replaced by MNU_CAPLOC
    QString CAPTUREFILENAME;  // replaced by MNU_BASNAM
    QString WIN_CAPIMAGE;
    QString WIN_CAPAVI;
    QString WIN_FOCUS;
    QString WIN_OVERLAY;
    QString BTN_FONT;
    QString BTN_OK;
    QString BTN_STOP_CAPTURE;
    QString FRM_SETTINGS;
    QString FRM_EXPOSURE;
    QString FRM_DATETIME_FORMAT;
    QString LBL_LENGTH;
    QString LBL_DELAY;
    QString LBL_DARKFRAME;
    // The count button's two captions: frames, or seconds.
    QString LBL_COUNT = QStringLiteral("Count");
    QString LBL_DURATION = QStringLiteral("Duration");
    QString LBL_PREFIX;
    QString LBL_BACKGROUND;
    QString LBL_HOUROFFSET;
    QString LBL_WIDEVIEW;
    QString LBL_OBJECTONLY;
    QString BASENAME;
    QString FILETYPE;
    QString B_OK;
    QString B_CANCEL;
    QString MNU_MEAS;
    QString FLD_MEASTYPE;
    QString FLD_FOCLEN;
    QString MNU_CAPLOC;
    QString MNU_BASNAM;
    QString MNU_IRIS;
    QString MNU_HFLIP;
    // The observation's fields in the output-names window.
    QString LBL_OBSERVER = QStringLiteral("Observer");
    QString LBL_TELESCOPE = QStringLiteral("Telescope");
    QString LBL_OBJECT = QStringLiteral("Object");
    QString LBL_FILTER = QStringLiteral("Filter");
    QString LBL_RECORDINGLOG = QStringLiteral("Log beside each recording");
    QString LBL_NAMEBYTIME = QStringLiteral("Name by mid-time (WinJUPOS)");
};
