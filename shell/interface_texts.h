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
    QString MEMORYLEFT = QStringLiteral("%d MB free");
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

    // Texts added after the first language files. Each starts as its English
    // text, which a language file without its key leaves in place, with no
    // message: an older or a user's own file still gives a whole interface.
    // Main window.
    QString GRP_CAPTURE = QStringLiteral("Capture");
    QString BTN_BLACKWHITE = QStringLiteral("Black/White");
    QString BTN_COLOUR = QStringLiteral("Colour");
    QString BTN_SOLAR = QStringLiteral("Solar");
    QString BTN_MEASURE = QStringLiteral("Measure");
    QString BTN_SCOPE = QStringLiteral("Scope");
    QString M_TOOLS = QStringLiteral("Tools");
    QString M_BINNING = QStringLiteral("Binning");
    QString MNU_BINNING1 = QStringLiteral("1x1 Binning");
    QString MNU_BINNING2 = QStringLiteral("2x2 Binning");
    QString MNU_FASTUSB = QStringLiteral("Fast USB (non-standard!)");
    QString MNU_CAMERA = QStringLiteral("Camera\u2026");
    QString MNU_16BIT = QStringLiteral("16-bit");
    QString LBL_VBLANK = QStringLiteral("V-blank");
    QString DLG_SAVEDIR = QStringLiteral("Select save directory");
    // Status bar.
    QString STATUS_FRAMERATE = QStringLiteral("Frame Rate:");
    QString STATUS_SUBFRAME = QStringLiteral("Subframe:");
    QString STATUS_NOANSWER = QStringLiteral("Camera not answering");
    QString STATUS_NOMEMORY = QStringLiteral("Out of memory: no more frames");
    QString STATUS_CAMSTOPPED = QStringLiteral("Camera stopped:");
    QString STATUS_DISTANCE = QStringLiteral("Distance");
    QString STATUS_PIXELS = QStringLiteral("pixels");
    QString STATUS_ARCSEC = QStringLiteral("arc seconds");
    // Tool tips.
    QString TIP_LONGEST = QStringLiteral("Right click: longest exposure");
    QString TIP_SUBFRAME = QStringLiteral("Drag to place the sub-frame");
    QString TIP_SUBWIDTH = QStringLiteral("Sub-frame width");
    QString TIP_SUBHEIGHT = QStringLiteral("Sub-frame height");
    QString TIP_CAPTURE = QStringLiteral("Start or stop a recording; the arrow chooses the output");
    QString TIP_COUNT = QStringLiteral("Count frames or seconds");
    QString TIP_COUNTER =
        QStringLiteral("Frames (or seconds) to record; 0 = until stopped. Mouse wheel changes it.");
    QString TIP_DELAY =
        QStringLiteral("Pause between frames while recording. Mouse wheel changes it.");
    QString TIP_DARKS = QStringLiteral("Dark frames taken before a recording; 0 = none.");
    QString TIP_BLACK = QStringLiteral("Black point");
    QString TIP_WHITE = QStringLiteral("White point");
    QString TIP_SOLAR = QStringLiteral("Solar observation: saturated areas in one shade");
    QString TIP_MEASURE =
        QStringLiteral("Drag a line over the picture: its length and brightness profile");
    QString TIP_SCOPE = QStringLiteral("Move the mount through the camera's guide port");
    QString TIP_KEYPAD = QStringLiteral("Keypad");
    QString TIP_KEYBOARD = QStringLiteral("On-screen keyboard");
    QString TIP_NO3D = QStringLiteral("No 3-D view: this display offers no OpenGL");
    // Histogram and focus aid.
    QString LBL_RED = QStringLiteral("RED");
    QString LBL_GREEN = QStringLiteral("GREEN");
    QString LBL_BLUE = QStringLiteral("BLUE");
    QString LBL_MAX = QStringLiteral("MAX");
    QString LBL_AVG = QStringLiteral("AVG");
    QString LBL_MIN = QStringLiteral("MIN");
    // Measurement.
    QString FLD_PIXELS = QStringLiteral("Pixels");
    QString FLD_ARCSEC = QStringLiteral("ArcSeconds");
    // Time stamp.
    QString OVL_NODATA = QStringLiteral("No Data");
    QString OVL_DATE = QStringLiteral("Date");
    QString OVL_DATETIME_S = QStringLiteral("Date/Time (s)");
    QString OVL_DATETIME_MS = QStringLiteral("Date/Time(ms)");
    QString OVL_TIME_MS = QStringLiteral("Time(ms)");
    // Solar mode and scope control.
    QString WIN_SOLAR = QStringLiteral("Solar Observation Settings");
    QString LBL_SATLIMIT = QStringLiteral("Saturation Limit:");
    QString LBL_SATSHADE = QStringLiteral("Saturation Shade");
    QString WIN_SCOPE = QStringLiteral("Scope Ctrl");
    QString LBL_INVRA = QStringLiteral("Inv RA");
    QString LBL_INVDEC = QStringLiteral("Inv DEC");
    // About and output names.
    QString LBL_VERSION = QStringLiteral("Version");
    QString TXT_ABOUT = QStringLiteral("Capture software for planetary, lunar and solar imaging.");
    QString WIN_OUTNAMES = QStringLiteral("Output File Names");
    QString LBL_NOOVERLAY = QStringLiteral("NO Overlay in SER");
    // Camera choice.
    QString WIN_CAMERA = QStringLiteral("Camera");
    QString CAM_SIMULATED = QStringLiteral("Simulated camera");
    QString CAM_INDI = QStringLiteral("INDI server");
    QString CAM_HOST = QStringLiteral("Host");
    QString CAM_PORT = QStringLiteral("Port");
    QString CAM_DEVICE = QStringLiteral("Camera");
    QString CAM_SEARCH = QStringLiteral("Search");
    QString CAM_FIRST = QStringLiteral("First camera offered");
    QString CAM_NEXTSTART = QStringLiteral("A new choice takes effect at the next start.");
    QString CAM_ENVIRONMENT = QStringLiteral("is set and wins over this choice.");
    QString CAM_SEARCHING = QStringLiteral("Searching\u2026");
    QString CAM_NONE = QStringLiteral("The server offers no camera.");
    QString CAM_FOUND = QStringLiteral("Cameras found: %d");

    // Colours and the on-screen keyboard.
    QString CLR_BLACK = QStringLiteral("Black");
    QString CLR_MAROON = QStringLiteral("Maroon");
    QString CLR_GREEN = QStringLiteral("Green");
    QString CLR_OLIVE = QStringLiteral("Olive");
    QString CLR_NAVY = QStringLiteral("Navy");
    QString CLR_PURPLE = QStringLiteral("Purple");
    QString CLR_TEAL = QStringLiteral("Teal");
    QString CLR_GRAY = QStringLiteral("Gray");
    QString CLR_SILVER = QStringLiteral("Silver");
    QString CLR_RED = QStringLiteral("Red");
    QString CLR_LIME = QStringLiteral("Lime");
    QString CLR_YELLOW = QStringLiteral("Yellow");
    QString CLR_BLUE = QStringLiteral("Blue");
    QString CLR_FUCHSIA = QStringLiteral("Fuchsia");
    QString CLR_AQUA = QStringLiteral("Aqua");
    QString CLR_WHITE = QStringLiteral("White");
    QString KEY_SPACE = QStringLiteral("SPACE");

    // Profiles, sub-frame entry and where the files go.
    QString M_PROFILES = QStringLiteral("Profiles");
    QString PRF_SAVEAS = QStringLiteral("Save Profile As\u2026");
    QString PRF_RENAME = QStringLiteral("Rename Profile\u2026");
    QString PRF_DELETE = QStringLiteral("Delete Profile\u2026");
    QString PRF_NAME = QStringLiteral("Profile name:");
    QString PRF_NONE = QStringLiteral("(no profiles)");
    QString PRF_BADNAME = QStringLiteral("A profile name must not be empty, start with a dot or hold / \\ : * ? \" < > |");
    QString PRF_EXISTS = QStringLiteral("A profile of that name exists already.");
    QString PRF_DELETEASK = QStringLiteral("Delete the profile \"%1\"?");
    QString PRF_RECORDING = QStringLiteral("A profile cannot be loaded while recording.");
    QString PRF_DAMAGED = QStringLiteral("The profile could not be loaded; no setting was changed.");
    QString PRF_NOTSAVED = QStringLiteral("The profile could not be changed on disk.");
    QString SUB_PRESETS = QStringLiteral("Sub-frame size");
    QString SUB_FULL = QStringLiteral("Full sensor");
    QString SUB_TYPED = QStringLiteral("Width \u00d7 height:");
    // A camera whose description was partly out of reason; what follows
    // names the items.
    QString CAMERA_DESCRIPTION =
        QStringLiteral("The camera's description is out of reason; the defaults are used for:");
    // The colour tick of a camera that reports its own colour pattern.
    QString TIP_CAMERACOLOR = QStringLiteral("Set by the camera: it reports its colour pattern");
    // ... and of one that reports a mono sensor.
    QString TIP_CAMERAMONO = QStringLiteral("Set by the camera: it reports a mono sensor");
    // The exposure's caption while its slider runs in microseconds.
    QString LBL_LENGTHUS = QStringLiteral("Length (\u00b5s)");
    QString STATUS_CAPTURETO = QStringLiteral("Files:");
    // A recording's figures while it runs and its file when it has ended.
    QString REC_WRITTEN = QStringLiteral("%d written");
    QString REC_WRITTENRATE = QStringLiteral("written:");
    QString REC_DROPPED = QStringLiteral("dropped %d");
    QString REC_MINUTES = QStringLiteral("%d min");
    QString REC_SUMMARY = QStringLiteral("%d frames written into");
    QString REC_OPENFOLDER = QStringLiteral("Open the folder");
    QString MSG_DARKPROGRESS = QStringLiteral("Taking dark frame %d of %d");
    QString MNU_SATURATION = QStringLiteral("Show saturation in red");
};
