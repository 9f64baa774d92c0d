/*
 * Micom message channel: the command key and the answer keys that the
 * micom service updates.
 */
#ifndef EM_MICOM_CHANNEL_H
#define EM_MICOM_CHANNEL_H

#define VCONFKEY_REFRIGERATOR_TX_MESSAGE "memory/refrigerator/TxMessage"
#define VCONFKEY_REFRIGERATOR_MICOM_INFO_YEAR "db/refrigerator/MicomInfoYear"
#define VCONFKEY_REFRIGERATOR_MICOM_INFO_PROJECT "db/refrigerator/MicomInfoProject"
#define VCONFKEY_REFRIGERATOR_MICOM_INFO_VERSION "db/refrigerator/MicomInfoVersion"
#define VCONFKEY_REFRIGERATOR_MICOM_USED_MONTH "db/refrigerator/MicomUsedMonth"
#define VCONFKEY_REFRIGERATOR_MODELDIODEOPTION "db/refrigerator/ModelDiodeOption"
#define VCONFKEY_REFRIGERATOR_LOAD_STATUS "memory/refrigerator/LoadStatus"
#define VCONFKEY_REFRIGERATOR_ERROR_LIST "memory/refrigerator/ErrorList"
#define VCONFKEY_REFRIGERATOR_ERROR_HISTORY "db/refrigerator/ErrorHistory"
#define VCONFKEY_REFRIGERATOR_MODEL_NAME "memory/refrigerator/ModelName"
#define VCONFKEY_REFRIGERATOR_FORCERUN_STATUS "memory/refrigerator/ForceRunStatus"
#define VCONFKEY_REFRIGERATOR_ENGINEER_DEVELOPER_MODE "memory/refrigerator/EngineerDeveloperMode"
#define VCONFKEY_REFRIGERATOR_REF_OPTION_PREFIX "db/refrigerator/RefOption"
#define VCONFKEY_REFRIGERATOR_MODEL_SUPPORTED_ICEMAKER "db/refrigerator/ModelSupportedIceMaker"
#define VCONFKEY_REFRIGERATOR_SMART_GRID_WATT1 "memory/refrigerator/SmartGridWatt1"
#define VCONFKEY_REFRIGERATOR_SMART_GRID_WATT2 "memory/refrigerator/SmartGridWatt2"
#define VCONFKEY_REFRIGERATOR_SMART_GRID_WATT3 "memory/refrigerator/SmartGridWatt3"
#define VCONFKEY_REFRIGERATOR_SMART_GRID_WATT4 "memory/refrigerator/SmartGridWatt4"

#define VCONFKEY_LANGSET "db/menu_widget/language"
#define VCONFKEY_REGIONCODE "db/setting/region_code"

/* Writes a command to the micom; returns the key store's result (0 ok).
 * The caller logs the write with its own function name and line. */
int micom_send(const char *command);

#endif
