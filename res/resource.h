#pragma once
// Resource numbers: dialog templates, strings, the icon and the control identifiers.

constexpr int IDD_ABOUTBOX = 100;
constexpr int IDS_ABOUTBOX = 101;
constexpr int IDD_SCANNER_DIALOG = 102;
constexpr int IDR_MAINFRAME = 128;
constexpr int IDD_PT100_DIALOG = 130;

// System-menu command of the About box.
constexpr unsigned IDM_ABOUTBOX = 0x0010;

// Main console window (template 102).
constexpr int IDC_PORT = 1000;
constexpr int IDC_BAUD = 1001;
constexpr int IDC_ADDRESS = 1002;
constexpr int IDC_SIGNAL_COUNT = 1003;
constexpr int IDC_SET_SIGNAL_COUNT = 1004;
constexpr int IDC_CHANNEL = 1005;
constexpr int IDC_REGISTER = 1006;
constexpr int IDC_SN_INDEX = 1007;
constexpr int IDC_LIST_LEFT = 1008;
constexpr int IDC_SINGLE_ACQUISITION = 1009;
constexpr int IDC_CONTINUOUS_ACQUISITION = 1010;
constexpr int IDC_PERIOD = 1011;
constexpr int IDC_OK_COUNT = 1012;
constexpr int IDC_FAIL_COUNT = 1013;
constexpr int IDC_READ_SN = 1014;
constexpr int IDC_LIST_MIDDLE = 1015;
constexpr int IDC_SN_BYTE1 = 1016;
constexpr int IDC_SN_BYTE2 = 1017;
constexpr int IDC_SN_BYTE3 = 1018;
constexpr int IDC_SN_BYTE4 = 1019;
constexpr int IDC_MODE_SEMI_AUTO = 1020;
constexpr int IDC_MODE_MANUAL = 1021;
constexpr int IDC_SN_BYTE5 = 1022;
constexpr int IDC_SN_BYTE6 = 1023;
constexpr int IDC_SN_BYTE7 = 1024;
constexpr int IDC_SN_BYTE8 = 1025;
constexpr int IDC_MODE_FULL_AUTO = 1026;
constexpr int IDC_FILE_REGISTER = 1027;
constexpr int IDC_PT100_SETTINGS = 1028;
constexpr int IDC_LIST_RIGHT = 1029;

constexpr int kSnByteIds[8] = {IDC_SN_BYTE1, IDC_SN_BYTE2, IDC_SN_BYTE3, IDC_SN_BYTE4,
                               IDC_SN_BYTE5, IDC_SN_BYTE6, IDC_SN_BYTE7, IDC_SN_BYTE8};

// PT100 dialog (template 130).
constexpr int IDC_PT100_READ_TEMPS = 1026;
constexpr int IDC_PT100_CAL_ZERO = 1029;
constexpr int IDC_PT100_CHANNEL = 1030;
constexpr int IDC_PT100_CAL_RES1 = 1031;
constexpr int IDC_PT100_SET_OFFSET = 1032;
constexpr int IDC_PT100_ZERO_AD = 1033;
constexpr int IDC_PT100_CAL_RES2 = 1034;
constexpr int IDC_PT100_READ_PARAMS = 1035;
constexpr int IDC_PT100_OFFSET = 1036;
constexpr int IDC_PT100_RES1_AD = 1037;
constexpr int IDC_PT100_RES2_AD = 1038;
constexpr int IDC_PT100_TEMP1 = 1039;
constexpr int IDC_PT100_TEMP2 = 1040;
constexpr int IDC_PT100_TEMP3 = 1041;
constexpr int IDC_PT100_TEMP4 = 1042;
constexpr int IDC_PT100_SAVE_LOG = 1043;
constexpr int IDC_PT100_CLEAR_LOG = 1044;
constexpr int IDC_PT100_OFFSET_SPIN = 1047;
constexpr int IDC_PT100_LOG = 1008;

// Menu bar of the main window: command ids of its items, and the recording status at its end.
constexpr int ID_RECORD_START = 32771;
constexpr int ID_RECORD_STOP = 32772;
constexpr int ID_VIEW_TREND = 32773;
constexpr int ID_HELP_ABOUT = 32774;
constexpr int IDC_RECORD_STATUS = 1030;

// Trend window.
constexpr int IDD_TREND = 140;
constexpr int IDC_TREND_CHART = 1401;
constexpr int IDC_TREND_CHANNELS = 1402;
constexpr int IDC_TREND_SELECT_ALL = 1403;
constexpr int IDC_TREND_SELECT_NONE = 1404;
constexpr int IDC_TREND_SPAN_1MIN = 1405;
constexpr int IDC_TREND_SPAN_10MIN = 1406;
constexpr int IDC_TREND_SPAN_1H = 1407;
constexpr int IDC_TREND_SPAN_ALL = 1408;
constexpr int IDC_TREND_PAUSE = 1409;
constexpr int IDC_TREND_EXPORT = 1410;

// Port mapping dialog (tools menu).
constexpr int ID_TOOLS_PORT_MAP = 32775;
constexpr int IDD_PORT_MAP = 150;
constexpr int IDC_PORTMAP_DEVICES = 1501;
constexpr int IDC_PORTMAP_LINKS = 1502;
constexpr int IDC_PORTMAP_DEVICE = 1503;
constexpr int IDC_PORTMAP_NUMBER = 1504;
constexpr int IDC_PORTMAP_LINK = 1505;
constexpr int IDC_PORTMAP_UNLINK = 1506;
constexpr int IDC_PORTMAP_REFRESH = 1507;

// Site window (view menu).
constexpr int ID_VIEW_SITE = 32790;
constexpr int IDD_SITE = 170;
constexpr int IDC_SITE_FILE = 1701;
constexpr int IDC_SITE_OPEN = 1702;
constexpr int IDC_SITE_NEW = 1703;
constexpr int IDC_SITE_START = 1704;
constexpr int IDC_SITE_RECORD = 1705;
constexpr int IDC_SITE_MODULES = 1706;
constexpr int IDC_SITE_MODULE = 1707;
constexpr int IDC_SITE_CHANNELS = 1708;
constexpr int IDC_SITE_MAKE_CURRENT = 1712;
constexpr int IDC_SITE_STATUS = 1713;
