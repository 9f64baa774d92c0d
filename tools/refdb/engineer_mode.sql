-- Sample reference database of the demo model RF-DEMO-01.
--
-- Four tables that the engineer-mode application reads, each in the row
-- order it lists them:
--   loadstatus      loads the micom reports in memory/refrigerator/LoadStatus
--                   (IDs hold no '<', 'b', 'r' or '>': the application cuts
--                   the reported value at those characters)
--   selfdiagnosis   error codes of the self test and the error history
--   forcerun        forced operating programs and their micom commands
--   controloption   one row per choice of each of the 37 control options;
--                   COMM_DATA is the option byte (1 = RefOption01),
--                   COMM_BIT_SHIFT and COMM_BIT_LENGTH its bit field
-- SUPPORT is -1 for every model, else a mask matched against
-- db/refrigerator/ModelSupportedIceMaker: 1 ice maker, 2 dispenser,
-- 4 auto-fill pitcher. The demo refrigerator reports 3.
-- Labels: force-run texts at most 39 bytes, option names and choice texts
-- at most 49 bytes (UTF-8), as the application stores them.
-- The build turns this file into engineer_mode.db (tools/refdb/CMakeLists.txt).

BEGIN TRANSACTION;

CREATE TABLE loadstatus (
    ERROR_NUMBER INTEGER NOT NULL,
    ID TEXT NOT NULL,
    USE_ENGINEER_MODE INTEGER NOT NULL DEFAULT 1,
    NAME_EN_US TEXT,
    NAME_KR TEXT
);

INSERT INTO loadstatus VALUES (1, 'COMP', 1, 'Compressor', '압축기');
INSERT INTO loadstatus VALUES (2, 'FAN_F', 1, 'Freezer fan', '냉동실 팬');
INSERT INTO loadstatus VALUES (3, 'FAN_R', 1, 'Fridge fan', '냉장실 팬');
INSERT INTO loadstatus VALUES (4, 'FAN_C', 1, 'Condenser fan', '응축기 팬');
INSERT INTO loadstatus VALUES (5, 'DMP_R', 1, 'Fridge damper (open)', '냉장실 댐퍼 (열림)');
INSERT INTO loadstatus VALUES (6, 'HTR_DEF_F', 1, 'Freezer defrost heater', '냉동실 제상 히터');
INSERT INTO loadstatus VALUES (7, 'HTR_DEF_R', 1, 'Fridge defrost heater', '냉장실 제상 히터');
INSERT INTO loadstatus VALUES (8, 'HTR_MUL', 1, 'Mullion heater', '칸막이 히터');
INSERT INTO loadstatus VALUES (9, 'HTR_DISP', 1, 'Dispenser heater', '디스펜서 히터');
INSERT INTO loadstatus VALUES (10, 'LAMP_R', 1, 'Fridge lamp', '냉장실 조명');
INSERT INTO loadstatus VALUES (11, 'LAMP_F', 1, 'Freezer lamp', '냉동실 조명');
INSERT INTO loadstatus VALUES (12, 'VALVE_ICE', 1, 'Ice maker water valve', '제빙 급수 밸브');
INSERT INTO loadstatus VALUES (13, 'VALVE_DISP', 1, 'Dispenser water valve', '디스펜서 급수 밸브');
INSERT INTO loadstatus VALUES (14, 'ICE_HTR', 1, 'Ice tray heater', '이빙 히터');
INSERT INTO loadstatus VALUES (15, 'ICE_MOTOR', 1, 'Ice tray motor', '제빙 트레이 모터');
INSERT INTO loadstatus VALUES (16, 'AUGER', 1, 'Auger motor', '오거 모터');
INSERT INTO loadstatus VALUES (17, 'SOL_CUBE', 1, 'Cubed ice solenoid', '각얼음 솔레노이드');
INSERT INTO loadstatus VALUES (18, 'UV_LED', 1, 'Deodorizer UV LED', '탈취 UV LED');
INSERT INTO loadstatus VALUES (19, 'PUMP_DRN', 1, 'Drain pump', '배수 펌프');
INSERT INTO loadstatus VALUES (20, 'HTR_ICE_RM', 1, 'Ice room heater', '제빙실 히터');
INSERT INTO loadstatus VALUES (21, 'FCT_LOAD', 0, 'Factory test load', '공장 검사 부하');
INSERT INTO loadstatus VALUES (22, 'SVC_RLY', 0, 'Service relay', '서비스 릴레이');

CREATE TABLE selfdiagnosis (
    ERROR_NUMBER INTEGER NOT NULL,
    ID TEXT NOT NULL,
    USE_ENGINEER_MODE INTEGER NOT NULL DEFAULT 1,
    NAME_EN_US TEXT,
    NAME_KR TEXT,
    DESCRIPTION_EN_US TEXT,
    DESCRIPTION_KR TEXT
);

INSERT INTO selfdiagnosis VALUES (1, '01', 1, 'Fridge temperature sensor', '냉장실 온도 센서 이상', 'The fridge temperature sensor reads open or shorted. Check its connector on the main board, then the sensor itself.', '냉장실 온도 센서가 단선 또는 단락 상태입니다. 메인 보드의 커넥터를 확인한 뒤 센서를 점검하세요.');
INSERT INTO selfdiagnosis VALUES (2, '02', 1, 'Freezer temperature sensor', '냉동실 온도 센서 이상', 'The freezer temperature sensor reads open or shorted. Check its connector on the main board, then the sensor itself.', '냉동실 온도 센서가 단선 또는 단락 상태입니다. 메인 보드의 커넥터를 확인한 뒤 센서를 점검하세요.');
INSERT INTO selfdiagnosis VALUES (3, '03', 1, 'Ambient temperature sensor', '외기 온도 센서 이상', 'The ambient temperature sensor reads open or shorted. Check its connector on the main board, then the sensor itself.', '외기 온도 센서가 단선 또는 단락 상태입니다. 메인 보드의 커넥터를 확인한 뒤 센서를 점검하세요.');
INSERT INTO selfdiagnosis VALUES (4, '04', 1, 'Fridge defrost sensor', '냉장실 제상 센서 이상', 'The fridge defrost sensor reads open or shorted. Check its connector on the main board, then the sensor itself.', '냉장실 제상 센서가 단선 또는 단락 상태입니다. 메인 보드의 커넥터를 확인한 뒤 센서를 점검하세요.');
INSERT INTO selfdiagnosis VALUES (5, '05', 1, 'Freezer defrost sensor', '냉동실 제상 센서 이상', 'The freezer defrost sensor reads open or shorted. Check its connector on the main board, then the sensor itself.', '냉동실 제상 센서가 단선 또는 단락 상태입니다. 메인 보드의 커넥터를 확인한 뒤 센서를 점검하세요.');
INSERT INTO selfdiagnosis VALUES (6, '06', 1, 'Ice maker sensor', '제빙기 센서 이상', 'The ice maker sensor reads open or shorted. Check its connector on the main board, then the sensor itself.', '제빙기 센서가 단선 또는 단락 상태입니다. 메인 보드의 커넥터를 확인한 뒤 센서를 점검하세요.');
INSERT INTO selfdiagnosis VALUES (7, '07', 1, 'Humidity sensor', '습도 센서 이상', 'The humidity sensor reads open or shorted. Check its connector on the main board, then the sensor itself.', '습도 센서가 단선 또는 단락 상태입니다. 메인 보드의 커넥터를 확인한 뒤 센서를 점검하세요.');
INSERT INTO selfdiagnosis VALUES (8, '08', 1, 'Flex zone sensor', '맞춤 보관실 센서 이상', 'The flex zone sensor reads open or shorted. Check its connector on the main board, then the sensor itself.', '맞춤 보관실 센서가 단선 또는 단락 상태입니다. 메인 보드의 커넥터를 확인한 뒤 센서를 점검하세요.');
INSERT INTO selfdiagnosis VALUES (9, '09', 1, 'Condenser sensor', '응축기 센서 이상', 'The condenser sensor reads open or shorted. Check its connector on the main board, then the sensor itself.', '응축기 센서가 단선 또는 단락 상태입니다. 메인 보드의 커넥터를 확인한 뒤 센서를 점검하세요.');
INSERT INTO selfdiagnosis VALUES (10, '10', 1, 'Water tank sensor', '물탱크 센서 이상', 'The water tank sensor reads open or shorted. Check its connector on the main board, then the sensor itself.', '물탱크 센서가 단선 또는 단락 상태입니다. 메인 보드의 커넥터를 확인한 뒤 센서를 점검하세요.');
INSERT INTO selfdiagnosis VALUES (11, '11', 1, 'Fridge fan motor', '냉장실 팬 모터 이상', 'The fridge fan does not report its speed. Check the fan for ice or a blocked blade, then its wiring.', '냉장실 팬의 회전 신호가 없습니다. 팬 날개의 성에나 걸림을 확인한 뒤 배선을 점검하세요.');
INSERT INTO selfdiagnosis VALUES (12, '12', 1, 'Freezer fan motor', '냉동실 팬 모터 이상', 'The freezer fan does not report its speed. Check the fan for ice or a blocked blade, then its wiring.', '냉동실 팬의 회전 신호가 없습니다. 팬 날개의 성에나 걸림을 확인한 뒤 배선을 점검하세요.');
INSERT INTO selfdiagnosis VALUES (13, '13', 1, 'Condenser fan motor', '응축기 팬 모터 이상', 'The condenser fan does not report its speed. Check the machine room for dust and the fan wiring.', '응축기 팬의 회전 신호가 없습니다. 기계실의 먼지와 팬 배선을 점검하세요.');
INSERT INTO selfdiagnosis VALUES (14, '14', 1, 'Flex zone fan motor', '맞춤 보관실 팬 모터 이상', 'The flex zone fan does not report its speed. Check the fan and its wiring.', '맞춤 보관실 팬의 회전 신호가 없습니다. 팬과 배선을 점검하세요.');
INSERT INTO selfdiagnosis VALUES (15, '15', 1, 'Fridge defrost failure', '냉장실 제상 불량', 'The fridge evaporator did not reach the defrost end temperature in time. Check the defrost heater and its fuse.', '냉장실 증발기가 제한 시간 안에 제상 종료 온도에 도달하지 못했습니다. 제상 히터와 온도 퓨즈를 점검하세요.');
INSERT INTO selfdiagnosis VALUES (16, '16', 1, 'Freezer defrost failure', '냉동실 제상 불량', 'The freezer evaporator did not reach the defrost end temperature in time. Check the defrost heater and its fuse.', '냉동실 증발기가 제한 시간 안에 제상 종료 온도에 도달하지 못했습니다. 제상 히터와 온도 퓨즈를 점검하세요.');
INSERT INTO selfdiagnosis VALUES (17, '17', 1, 'Flex zone defrost failure', '맞춤 보관실 제상 불량', 'The flex zone evaporator did not finish its defrost. Check its heater.', '맞춤 보관실 증발기의 제상이 끝나지 않았습니다. 히터를 점검하세요.');
INSERT INTO selfdiagnosis VALUES (18, '18', 1, 'Ice tray motor', '제빙 트레이 모터 이상', 'The ice tray did not reach its end position. Check the tray for stuck ice and the motor.', '제빙 트레이가 끝 위치에 도달하지 못했습니다. 트레이의 얼음 걸림과 모터를 점검하세요.');
INSERT INTO selfdiagnosis VALUES (19, '19', 1, 'Ice harvest failure', '이빙 불량', 'Ice stayed in the tray after harvesting. Check the tray heater and the tray motor.', '이빙 후에도 트레이에 얼음이 남아 있습니다. 이빙 히터와 트레이 모터를 점검하세요.');
INSERT INTO selfdiagnosis VALUES (20, '20', 1, 'Ice maker water supply', '제빙기 급수 불량', 'The ice tray did not fill. Check the water supply, the filter and the ice maker valve.', '제빙 트레이에 물이 채워지지 않았습니다. 급수, 필터와 제빙 급수 밸브를 점검하세요.');
INSERT INTO selfdiagnosis VALUES (21, '21', 1, 'Auger motor', '오거 모터 이상', 'The auger motor draws too much current. Check the ice bucket for clumped ice.', '오거 모터에 과전류가 흐릅니다. 얼음 통의 얼음 뭉침을 확인하세요.');
INSERT INTO selfdiagnosis VALUES (22, '22', 1, 'Fridge damper', '냉장실 댐퍼 이상', 'The fridge damper does not reach its open or closed position. Check for ice around the damper.', '냉장실 댐퍼가 열림 또는 닫힘 위치에 도달하지 못합니다. 댐퍼 주변의 성에를 확인하세요.');
INSERT INTO selfdiagnosis VALUES (23, '23', 1, 'Flex zone damper', '맞춤 보관실 댐퍼 이상', 'The flex zone damper does not reach its position. Check for ice around the damper.', '맞춤 보관실 댐퍼가 정해진 위치에 도달하지 못합니다. 댐퍼 주변의 성에를 확인하세요.');
INSERT INTO selfdiagnosis VALUES (24, '24', 1, 'Dispenser valve', '디스펜서 밸브 이상', 'The dispenser valve does not open. Check the valve coil and its wiring.', '디스펜서 밸브가 열리지 않습니다. 밸브 코일과 배선을 점검하세요.');
INSERT INTO selfdiagnosis VALUES (25, '25', 1, 'Water leak detected', '누수 감지', 'The leak sensor under the machine room is wet. Check the water line and the drain pan.', '기계실 아래 누수 센서가 물을 감지했습니다. 급수 배관과 배수 받이를 확인하세요.');
INSERT INTO selfdiagnosis VALUES (26, '26', 1, 'Fridge door switch', '냉장실 도어 스위치 이상', 'The fridge door switch reports open for too long. Check the switch and the door closing.', '냉장실 도어 스위치가 너무 오래 열림 상태입니다. 스위치와 문 닫힘 상태를 확인하세요.');
INSERT INTO selfdiagnosis VALUES (27, '27', 1, 'Freezer door switch', '냉동실 도어 스위치 이상', 'The freezer door switch reports open for too long. Check the switch and the door closing.', '냉동실 도어 스위치가 너무 오래 열림 상태입니다. 스위치와 문 닫힘 상태를 확인하세요.');
INSERT INTO selfdiagnosis VALUES (28, '28', 1, 'Fridge lamp', '냉장실 조명 이상', 'The fridge LED lamp draws no current. Check the lamp connector.', '냉장실 LED 조명에 전류가 흐르지 않습니다. 조명 커넥터를 확인하세요.');
INSERT INTO selfdiagnosis VALUES (29, '29', 1, 'Freezer lamp', '냉동실 조명 이상', 'The freezer LED lamp draws no current. Check the lamp connector.', '냉동실 LED 조명에 전류가 흐르지 않습니다. 조명 커넥터를 확인하세요.');
INSERT INTO selfdiagnosis VALUES (30, '30', 1, 'Drain pump', '배수 펌프 이상', 'The drain pump runs dry or is blocked. Check the drain hose.', '배수 펌프가 공회전하거나 막혔습니다. 배수 호스를 확인하세요.');
INSERT INTO selfdiagnosis VALUES (31, '31', 1, 'Mullion heater', '칸막이 히터 이상', 'The mullion heater draws no current. Check the heater and its connector.', '칸막이 히터에 전류가 흐르지 않습니다. 히터와 커넥터를 점검하세요.');
INSERT INTO selfdiagnosis VALUES (32, '32', 1, 'Dispenser heater', '디스펜서 히터 이상', 'The dispenser heater draws no current. Check the heater and its connector.', '디스펜서 히터에 전류가 흐르지 않습니다. 히터와 커넥터를 점검하세요.');
INSERT INTO selfdiagnosis VALUES (33, '33', 1, 'Deodorizer', '탈취기 이상', 'The deodorizer UV LED does not light. Check the deodorizer module.', '탈취기 UV LED가 켜지지 않습니다. 탈취 모듈을 점검하세요.');
INSERT INTO selfdiagnosis VALUES (34, '34', 1, 'Auto-fill pitcher', '자동 채움 물통 이상', 'The auto-fill pitcher did not fill in time. Check the pitcher seat and its valve.', '자동 채움 물통이 제한 시간 안에 채워지지 않았습니다. 물통 안착 상태와 밸브를 점검하세요.');
INSERT INTO selfdiagnosis VALUES (35, '35', 1, 'Kimchi zone sensor', '김치 보관실 센서 이상', 'The kimchi zone sensor reads open or shorted. Check its connector on the main board, then the sensor itself.', '김치 보관실 센서가 단선 또는 단락 상태입니다. 메인 보드의 커넥터를 확인한 뒤 센서를 점검하세요.');
INSERT INTO selfdiagnosis VALUES (36, '36', 1, 'Kimchi zone heater', '김치 보관실 히터 이상', 'The kimchi zone heater draws no current during fermentation. Check the heater and its fuse.', '숙성 중 김치 보관실 히터에 전류가 흐르지 않습니다. 히터와 온도 퓨즈를 점검하세요.');
INSERT INTO selfdiagnosis VALUES (37, '37', 1, 'Kimchi zone fan', '김치 보관실 팬 이상', 'The kimchi zone fan does not report its speed. Check the fan and its wiring.', '김치 보관실 팬의 회전 신호가 없습니다. 팬과 배선을 점검하세요.');
INSERT INTO selfdiagnosis VALUES (38, '38', 1, 'Fridge high temperature', '냉장실 고온 경보', 'The fridge stayed above 10 C for more than an hour. Check the door gaskets and the cooling.', '냉장실이 1시간 넘게 10도 이상입니다. 도어 가스켓과 냉각 상태를 점검하세요.');
INSERT INTO selfdiagnosis VALUES (39, '39', 1, 'Freezer high temperature', '냉동실 고온 경보', 'The freezer stayed above -5 C for more than an hour. Check the door gaskets and the cooling.', '냉동실이 1시간 넘게 영하 5도 이상입니다. 도어 가스켓과 냉각 상태를 점검하세요.');
INSERT INTO selfdiagnosis VALUES (40, '40', 1, 'Compressor', '압축기 이상', 'The inverter could not start the compressor. Check the compressor wiring and the inverter board.', '인버터가 압축기를 기동하지 못했습니다. 압축기 배선과 인버터 보드를 점검하세요.');
INSERT INTO selfdiagnosis VALUES (41, '41', 1, 'Panel communication', '패널 통신 이상', 'The panel receives nothing from the main board. Check the cable between the panel and the main board.', '패널이 메인 보드로부터 아무것도 받지 못합니다. 패널과 메인 보드 사이의 케이블을 점검하세요.');
INSERT INTO selfdiagnosis VALUES (42, '42', 1, 'Inverter communication', '인버터 통신 이상', 'The main board receives nothing from the inverter board. Check the cable between them.', '메인 보드가 인버터 보드로부터 아무것도 받지 못합니다. 두 보드 사이의 케이블을 점검하세요.');
INSERT INTO selfdiagnosis VALUES (43, '43', 1, 'Main board memory', '메인 보드 메모리 이상', 'The option memory of the main board failed its check. Write the control options again.', '메인 보드의 옵션 메모리 검사가 실패했습니다. 제어 옵션을 다시 저장하세요.');
INSERT INTO selfdiagnosis VALUES (44, '44', 1, 'Supply voltage', '전원 전압 이상', 'The supply voltage was out of range. Check the outlet and the power cord.', '전원 전압이 허용 범위를 벗어났습니다. 콘센트와 전원 코드를 점검하세요.');
INSERT INTO selfdiagnosis VALUES (90, '90', 0, 'Factory test step', '공장 검사 단계', 'Set by the factory tester only.', '공장 검사기만 사용합니다.');
INSERT INTO selfdiagnosis VALUES (91, '91', 0, 'Developer trace', '개발자 추적 코드', 'Trace code for firmware developers.', '펌웨어 개발자용 추적 코드입니다.');

CREATE TABLE forcerun (
    MODE TEXT NOT NULL,
    FORCE_RUN_NUMBER INTEGER NOT NULL,
    TEXT_EN_US TEXT,
    TEXT_KR TEXT
);

INSERT INTO forcerun VALUES ('SET_KEY_FORCE_TEST_RUN1', 1, 'Forced cooling (all rooms)', '강제 냉각 (전체)');
INSERT INTO forcerun VALUES ('SET_KEY_FORCE_TEST_RUN2', 2, 'Forced cooling (freezer)', '강제 냉각 (냉동실)');
INSERT INTO forcerun VALUES ('SET_KEY_FORCE_TEST_RDEF', 16, 'Forced defrost (fridge)', '강제 제상 (냉장실)');
INSERT INTO forcerun VALUES ('SET_KEY_FORCE_TEST_FDEF', 17, 'Forced defrost (freezer)', '강제 제상 (냉동실)');
INSERT INTO forcerun VALUES ('SET_KEY_FORCE_TEST_LONGDEF', 32, 'Long defrost (service)', '장시간 제상 (서비스)');
INSERT INTO forcerun VALUES ('SET_KEY_FORCE_TEST_RUN4', 4, 'PreCool run (developer)', 'PreCool 예냉 운전');
INSERT INTO forcerun VALUES ('SET_KEY_FORCE_TEST_CANCEL', 0, 'Cancel forced run', '강제 운전 취소');

CREATE TABLE controloption (
    DEVELOPER_ONLY INTEGER NOT NULL DEFAULT 0,
    SUPPORT INTEGER NOT NULL DEFAULT -1,
    MAIN_NUMBER INTEGER NOT NULL,
    SUB_NUMBER INTEGER NOT NULL,
    ENGINEER_MODE INTEGER NOT NULL DEFAULT 1,
    COMM_MODE INTEGER NOT NULL,
    COMM_DATA INTEGER NOT NULL,
    COMM_BIT_SHIFT INTEGER NOT NULL,
    COMM_BIT_LENGTH INTEGER NOT NULL,
    NAME_EN_US TEXT,
    NAME_KR TEXT,
    DESCRIPTION_EN_US TEXT,
    DESCRIPTION_KR TEXT
);

-- Option 0: byte 1, bits 1 to 4
INSERT INTO controloption VALUES (0, -1, 0, 0, 1, 1, 1, 1, 4, 'Model type', '모델 유형', '4-door French door', '4도어 프렌치');
INSERT INTO controloption VALUES (0, -1, 0, 1, 1, 1, 1, 1, 4, 'Model type', '모델 유형', '3-door French door', '3도어 프렌치');
INSERT INTO controloption VALUES (0, -1, 0, 2, 1, 1, 1, 1, 4, 'Model type', '모델 유형', 'Side-by-side', '양문형');
INSERT INTO controloption VALUES (0, -1, 0, 3, 1, 1, 1, 1, 4, 'Model type', '모델 유형', 'Top freezer', '상냉동 일반형');
INSERT INTO controloption VALUES (0, -1, 0, 4, 1, 1, 1, 1, 4, 'Model type', '모델 유형', 'Bottom freezer', '하냉동 일반형');
INSERT INTO controloption VALUES (0, -1, 0, 5, 1, 1, 1, 1, 4, 'Model type', '모델 유형', 'Kimchi refrigerator', '김치냉장고');
INSERT INTO controloption VALUES (0, -1, 0, 6, 1, 1, 1, 1, 4, 'Model type', '모델 유형', 'Column fridge', '단독 냉장고');
INSERT INTO controloption VALUES (0, -1, 0, 7, 1, 1, 1, 1, 4, 'Model type', '모델 유형', 'Column freezer', '단독 냉동고');
INSERT INTO controloption VALUES (0, -1, 0, 8, 1, 1, 1, 1, 4, 'Model type', '모델 유형', 'Reserved', '예비');
INSERT INTO controloption VALUES (0, -1, 0, 9, 1, 1, 1, 1, 4, 'Model type', '모델 유형', 'Reserved', '예비');
INSERT INTO controloption VALUES (0, -1, 0, 10, 1, 1, 1, 1, 4, 'Model type', '모델 유형', 'Reserved', '예비');
INSERT INTO controloption VALUES (0, -1, 0, 11, 1, 1, 1, 1, 4, 'Model type', '모델 유형', 'Reserved', '예비');
INSERT INTO controloption VALUES (0, -1, 0, 12, 1, 1, 1, 1, 4, 'Model type', '모델 유형', 'Reserved', '예비');
INSERT INTO controloption VALUES (0, -1, 0, 13, 1, 1, 1, 1, 4, 'Model type', '모델 유형', 'Reserved', '예비');
INSERT INTO controloption VALUES (0, -1, 0, 14, 1, 1, 1, 1, 4, 'Model type', '모델 유형', 'Reserved', '예비');
INSERT INTO controloption VALUES (0, -1, 0, 15, 1, 1, 1, 1, 4, 'Model type', '모델 유형', 'Reserved', '예비');
-- Option 1: byte 2, bits 1 to 4
INSERT INTO controloption VALUES (0, -1, 1, 0, 1, 1, 2, 1, 4, 'Total capacity', '총 용량', '600 L', '600리터');
INSERT INTO controloption VALUES (0, -1, 1, 1, 1, 1, 2, 1, 4, 'Total capacity', '총 용량', '650 L', '650리터');
INSERT INTO controloption VALUES (0, -1, 1, 2, 1, 1, 2, 1, 4, 'Total capacity', '총 용량', '700 L', '700리터');
INSERT INTO controloption VALUES (0, -1, 1, 3, 1, 1, 2, 1, 4, 'Total capacity', '총 용량', '750 L', '750리터');
INSERT INTO controloption VALUES (0, -1, 1, 4, 1, 1, 2, 1, 4, 'Total capacity', '총 용량', '800 L', '800리터');
INSERT INTO controloption VALUES (0, -1, 1, 5, 1, 1, 2, 1, 4, 'Total capacity', '총 용량', '850 L', '850리터');
INSERT INTO controloption VALUES (0, -1, 1, 6, 1, 1, 2, 1, 4, 'Total capacity', '총 용량', '900 L', '900리터');
INSERT INTO controloption VALUES (0, -1, 1, 7, 1, 1, 2, 1, 4, 'Total capacity', '총 용량', '950 L', '950리터');
INSERT INTO controloption VALUES (0, -1, 1, 8, 1, 1, 2, 1, 4, 'Total capacity', '총 용량', '1000 L', '1000리터');
INSERT INTO controloption VALUES (0, -1, 1, 9, 1, 1, 2, 1, 4, 'Total capacity', '총 용량', '1050 L', '1050리터');
INSERT INTO controloption VALUES (0, -1, 1, 10, 1, 1, 2, 1, 4, 'Total capacity', '총 용량', '1100 L', '1100리터');
INSERT INTO controloption VALUES (0, -1, 1, 11, 1, 1, 2, 1, 4, 'Total capacity', '총 용량', '1150 L', '1150리터');
INSERT INTO controloption VALUES (0, -1, 1, 12, 1, 1, 2, 1, 4, 'Total capacity', '총 용량', '1200 L', '1200리터');
INSERT INTO controloption VALUES (0, -1, 1, 13, 1, 1, 2, 1, 4, 'Total capacity', '총 용량', '1250 L', '1250리터');
INSERT INTO controloption VALUES (0, -1, 1, 14, 1, 1, 2, 1, 4, 'Total capacity', '총 용량', '1300 L', '1300리터');
INSERT INTO controloption VALUES (0, -1, 1, 15, 1, 1, 2, 1, 4, 'Total capacity', '총 용량', '1350 L', '1350리터');
-- Option 2: byte 3, bits 1 to 1
INSERT INTO controloption VALUES (0, -1, 2, 0, 1, 1, 3, 1, 1, 'Ice maker', '제빙기', 'Not installed', '없음');
INSERT INTO controloption VALUES (0, -1, 2, 1, 1, 1, 3, 1, 1, 'Ice maker', '제빙기', 'Installed', '있음');
-- Option 3: byte 3, bits 2 to 5
INSERT INTO controloption VALUES (0, -1, 3, 0, 1, 1, 3, 2, 4, 'Fridge temperature offset', '냉장실 온도 보정', '-4.0 C', '-4.0도');
INSERT INTO controloption VALUES (0, -1, 3, 1, 1, 1, 3, 2, 4, 'Fridge temperature offset', '냉장실 온도 보정', '-3.5 C', '-3.5도');
INSERT INTO controloption VALUES (0, -1, 3, 2, 1, 1, 3, 2, 4, 'Fridge temperature offset', '냉장실 온도 보정', '-3.0 C', '-3.0도');
INSERT INTO controloption VALUES (0, -1, 3, 3, 1, 1, 3, 2, 4, 'Fridge temperature offset', '냉장실 온도 보정', '-2.5 C', '-2.5도');
INSERT INTO controloption VALUES (0, -1, 3, 4, 1, 1, 3, 2, 4, 'Fridge temperature offset', '냉장실 온도 보정', '-2.0 C', '-2.0도');
INSERT INTO controloption VALUES (0, -1, 3, 5, 1, 1, 3, 2, 4, 'Fridge temperature offset', '냉장실 온도 보정', '-1.5 C', '-1.5도');
INSERT INTO controloption VALUES (0, -1, 3, 6, 1, 1, 3, 2, 4, 'Fridge temperature offset', '냉장실 온도 보정', '-1.0 C', '-1.0도');
INSERT INTO controloption VALUES (0, -1, 3, 7, 1, 1, 3, 2, 4, 'Fridge temperature offset', '냉장실 온도 보정', '-0.5 C', '-0.5도');
INSERT INTO controloption VALUES (0, -1, 3, 8, 1, 1, 3, 2, 4, 'Fridge temperature offset', '냉장실 온도 보정', '0.0 C', '0.0도');
INSERT INTO controloption VALUES (0, -1, 3, 9, 1, 1, 3, 2, 4, 'Fridge temperature offset', '냉장실 온도 보정', '+0.5 C', '+0.5도');
INSERT INTO controloption VALUES (0, -1, 3, 10, 1, 1, 3, 2, 4, 'Fridge temperature offset', '냉장실 온도 보정', '+1.0 C', '+1.0도');
INSERT INTO controloption VALUES (0, -1, 3, 11, 1, 1, 3, 2, 4, 'Fridge temperature offset', '냉장실 온도 보정', '+1.5 C', '+1.5도');
INSERT INTO controloption VALUES (0, -1, 3, 12, 1, 1, 3, 2, 4, 'Fridge temperature offset', '냉장실 온도 보정', '+2.0 C', '+2.0도');
INSERT INTO controloption VALUES (0, -1, 3, 13, 1, 1, 3, 2, 4, 'Fridge temperature offset', '냉장실 온도 보정', '+2.5 C', '+2.5도');
INSERT INTO controloption VALUES (0, -1, 3, 14, 1, 1, 3, 2, 4, 'Fridge temperature offset', '냉장실 온도 보정', '+3.0 C', '+3.0도');
INSERT INTO controloption VALUES (0, -1, 3, 15, 1, 1, 3, 2, 4, 'Fridge temperature offset', '냉장실 온도 보정', '+3.5 C', '+3.5도');
-- Option 4: byte 1, bits 5 to 7
INSERT INTO controloption VALUES (0, -1, 4, 0, 1, 1, 1, 5, 3, 'Freezer temperature offset', '냉동실 온도 보정', '-4 C', '-4도');
INSERT INTO controloption VALUES (0, -1, 4, 1, 1, 1, 1, 5, 3, 'Freezer temperature offset', '냉동실 온도 보정', '-3 C', '-3도');
INSERT INTO controloption VALUES (0, -1, 4, 2, 1, 1, 1, 5, 3, 'Freezer temperature offset', '냉동실 온도 보정', '-2 C', '-2도');
INSERT INTO controloption VALUES (0, -1, 4, 3, 1, 1, 1, 5, 3, 'Freezer temperature offset', '냉동실 온도 보정', '-1 C', '-1도');
INSERT INTO controloption VALUES (0, -1, 4, 4, 1, 1, 1, 5, 3, 'Freezer temperature offset', '냉동실 온도 보정', '0 C', '0도');
INSERT INTO controloption VALUES (0, -1, 4, 5, 1, 1, 1, 5, 3, 'Freezer temperature offset', '냉동실 온도 보정', '+1 C', '+1도');
INSERT INTO controloption VALUES (0, -1, 4, 6, 1, 1, 1, 5, 3, 'Freezer temperature offset', '냉동실 온도 보정', '+2 C', '+2도');
INSERT INTO controloption VALUES (0, -1, 4, 7, 1, 1, 1, 5, 3, 'Freezer temperature offset', '냉동실 온도 보정', '+3 C', '+3도');
-- Option 5: byte 2, bits 5 to 7
INSERT INTO controloption VALUES (0, -1, 5, 0, 1, 1, 2, 5, 3, 'Defrost interval', '제상 주기', 'Adaptive', '자동 조절');
INSERT INTO controloption VALUES (0, -1, 5, 1, 1, 1, 2, 5, 3, 'Defrost interval', '제상 주기', '6 hours', '6시간');
INSERT INTO controloption VALUES (0, -1, 5, 2, 1, 1, 2, 5, 3, 'Defrost interval', '제상 주기', '8 hours', '8시간');
INSERT INTO controloption VALUES (0, -1, 5, 3, 1, 1, 2, 5, 3, 'Defrost interval', '제상 주기', '10 hours', '10시간');
INSERT INTO controloption VALUES (0, -1, 5, 4, 1, 1, 2, 5, 3, 'Defrost interval', '제상 주기', '12 hours', '12시간');
INSERT INTO controloption VALUES (0, -1, 5, 5, 1, 1, 2, 5, 3, 'Defrost interval', '제상 주기', '16 hours', '16시간');
INSERT INTO controloption VALUES (0, -1, 5, 6, 1, 1, 2, 5, 3, 'Defrost interval', '제상 주기', '20 hours', '20시간');
INSERT INTO controloption VALUES (0, -1, 5, 7, 1, 1, 2, 5, 3, 'Defrost interval', '제상 주기', '24 hours', '24시간');
-- Option 6: byte 3, bits 6 to 7
INSERT INTO controloption VALUES (0, -1, 6, 0, 1, 1, 3, 6, 2, 'Door alarm delay', '문 열림 알람 지연', '1 minute', '1분');
INSERT INTO controloption VALUES (0, -1, 6, 1, 1, 1, 3, 6, 2, 'Door alarm delay', '문 열림 알람 지연', '2 minutes', '2분');
INSERT INTO controloption VALUES (0, -1, 6, 2, 1, 1, 3, 6, 2, 'Door alarm delay', '문 열림 알람 지연', '3 minutes', '3분');
INSERT INTO controloption VALUES (0, -1, 6, 3, 1, 1, 3, 6, 2, 'Door alarm delay', '문 열림 알람 지연', 'Off', '끔');
-- Option 7: byte 4, bits 1 to 2
INSERT INTO controloption VALUES (0, -1, 7, 0, 1, 1, 4, 1, 2, 'Fridge fan speed', '냉장실 팬 속도', 'Low', '약');
INSERT INTO controloption VALUES (0, -1, 7, 1, 1, 1, 4, 1, 2, 'Fridge fan speed', '냉장실 팬 속도', 'Middle', '중');
INSERT INTO controloption VALUES (0, -1, 7, 2, 1, 1, 4, 1, 2, 'Fridge fan speed', '냉장실 팬 속도', 'High', '강');
INSERT INTO controloption VALUES (0, -1, 7, 3, 1, 1, 4, 1, 2, 'Fridge fan speed', '냉장실 팬 속도', 'Auto', '자동');
-- Option 8: byte 4, bits 3 to 4
INSERT INTO controloption VALUES (0, -1, 8, 0, 1, 1, 4, 3, 2, 'Freezer fan speed', '냉동실 팬 속도', 'Low', '약');
INSERT INTO controloption VALUES (0, -1, 8, 1, 1, 1, 4, 3, 2, 'Freezer fan speed', '냉동실 팬 속도', 'Middle', '중');
INSERT INTO controloption VALUES (0, -1, 8, 2, 1, 1, 4, 3, 2, 'Freezer fan speed', '냉동실 팬 속도', 'High', '강');
INSERT INTO controloption VALUES (0, -1, 8, 3, 1, 1, 4, 3, 2, 'Freezer fan speed', '냉동실 팬 속도', 'Auto', '자동');
-- Option 9: byte 5, bits 1 to 2
INSERT INTO controloption VALUES (0, 1, 9, 0, 1, 1, 5, 1, 2, 'Ice maker type', '제빙기 종류', 'Twist tray', '수동 트레이');
INSERT INTO controloption VALUES (0, 1, 9, 1, 1, 1, 5, 1, 2, 'Ice maker type', '제빙기 종류', 'Auto tray', '자동 트레이');
INSERT INTO controloption VALUES (0, 1, 9, 2, 1, 1, 5, 1, 2, 'Ice maker type', '제빙기 종류', 'Round ice', '원형 얼음');
INSERT INTO controloption VALUES (0, 1, 9, 3, 1, 1, 5, 1, 2, 'Ice maker type', '제빙기 종류', 'Dual ice', '듀얼 얼음');
-- Option 10: byte 4, bits 5 to 7
INSERT INTO controloption VALUES (0, -1, 10, 0, 1, 1, 4, 5, 3, 'Compressor type', '압축기 종류', 'Fixed speed', '정속형');
INSERT INTO controloption VALUES (0, -1, 10, 1, 1, 1, 4, 5, 3, 'Compressor type', '압축기 종류', 'Inverter A', '인버터 A');
INSERT INTO controloption VALUES (0, -1, 10, 2, 1, 1, 4, 5, 3, 'Compressor type', '압축기 종류', 'Inverter B', '인버터 B');
INSERT INTO controloption VALUES (0, -1, 10, 3, 1, 1, 4, 5, 3, 'Compressor type', '압축기 종류', 'Linear', '리니어');
INSERT INTO controloption VALUES (0, -1, 10, 4, 1, 1, 4, 5, 3, 'Compressor type', '압축기 종류', 'Dual inverter', '듀얼 인버터');
INSERT INTO controloption VALUES (0, -1, 10, 5, 1, 1, 4, 5, 3, 'Compressor type', '압축기 종류', 'Reserved', '예비');
INSERT INTO controloption VALUES (0, -1, 10, 6, 1, 1, 4, 5, 3, 'Compressor type', '압축기 종류', 'Reserved', '예비');
INSERT INTO controloption VALUES (0, -1, 10, 7, 1, 1, 4, 5, 3, 'Compressor type', '압축기 종류', 'Reserved', '예비');
-- Option 11: byte 5, bits 3 to 4
INSERT INTO controloption VALUES (0, 2, 11, 0, 1, 1, 5, 3, 2, 'Dispenser type', '디스펜서 종류', 'Water only', '정수 전용');
INSERT INTO controloption VALUES (0, 2, 11, 1, 1, 1, 5, 3, 2, 'Dispenser type', '디스펜서 종류', 'Water and cubed ice', '정수와 각얼음');
INSERT INTO controloption VALUES (0, 2, 11, 2, 1, 1, 5, 3, 2, 'Dispenser type', '디스펜서 종류', 'Water, cubed and crushed ice', '정수, 각얼음, 조각얼음');
INSERT INTO controloption VALUES (0, 2, 11, 3, 1, 1, 5, 3, 2, 'Dispenser type', '디스펜서 종류', 'Sparkling water', '탄산수');
-- Option 12: byte 5, bits 5 to 6
INSERT INTO controloption VALUES (0, 2, 12, 0, 1, 1, 5, 5, 2, 'Water filter alarm', '정수 필터 교체 알림', 'Off', '끔');
INSERT INTO controloption VALUES (0, 2, 12, 1, 1, 1, 5, 5, 2, 'Water filter alarm', '정수 필터 교체 알림', '6 months', '6개월');
INSERT INTO controloption VALUES (0, 2, 12, 2, 1, 1, 5, 5, 2, 'Water filter alarm', '정수 필터 교체 알림', '9 months', '9개월');
INSERT INTO controloption VALUES (0, 2, 12, 3, 1, 1, 5, 5, 2, 'Water filter alarm', '정수 필터 교체 알림', '12 months', '12개월');
-- Option 13: byte 6, bits 1 to 2
INSERT INTO controloption VALUES (0, -1, 13, 0, 1, 1, 6, 1, 2, 'Flex zone', '맞춤 보관실', 'None', '없음');
INSERT INTO controloption VALUES (0, -1, 13, 1, 1, 1, 6, 1, 2, 'Flex zone', '맞춤 보관실', 'Fridge or freezer', '냉장 또는 냉동 전환');
INSERT INTO controloption VALUES (0, -1, 13, 2, 1, 1, 6, 1, 2, 'Flex zone', '맞춤 보관실', 'Kimchi mode', '김치 모드');
INSERT INTO controloption VALUES (0, -1, 13, 3, 1, 1, 6, 1, 2, 'Flex zone', '맞춤 보관실', 'Soft freeze', '살얼음 보관');
-- Option 14: byte 6, bits 3 to 4
INSERT INTO controloption VALUES (0, -1, 14, 0, 1, 1, 6, 3, 2, 'Lamp fade-in', '조명 서서히 켜짐', 'Off', '끔');
INSERT INTO controloption VALUES (0, -1, 14, 1, 1, 1, 6, 3, 2, 'Lamp fade-in', '조명 서서히 켜짐', 'Fast', '빠르게');
INSERT INTO controloption VALUES (0, -1, 14, 2, 1, 1, 6, 3, 2, 'Lamp fade-in', '조명 서서히 켜짐', 'Normal', '보통');
INSERT INTO controloption VALUES (0, -1, 14, 3, 1, 1, 6, 3, 2, 'Lamp fade-in', '조명 서서히 켜짐', 'Slow', '느리게');
-- Option 15: byte 6, bits 5 to 6
INSERT INTO controloption VALUES (0, -1, 15, 0, 1, 1, 6, 5, 2, 'Cooling system', '냉각 방식', 'Single evaporator', '단일 증발기');
INSERT INTO controloption VALUES (0, -1, 15, 1, 1, 1, 6, 5, 2, 'Cooling system', '냉각 방식', 'Twin cooling', '독립 냉각 2계통');
INSERT INTO controloption VALUES (0, -1, 15, 2, 1, 1, 6, 5, 2, 'Cooling system', '냉각 방식', 'Triple cooling', '독립 냉각 3계통');
INSERT INTO controloption VALUES (0, -1, 15, 3, 1, 1, 6, 5, 2, 'Cooling system', '냉각 방식', 'Reserved', '예비');
-- Option 16: byte 8, bits 1 to 2
INSERT INTO controloption VALUES (0, 4, 16, 0, 1, 1, 8, 1, 2, 'Auto-fill pitcher', '자동 채움 물통', 'Not installed', '없음');
INSERT INTO controloption VALUES (0, 4, 16, 1, 1, 1, 8, 1, 2, 'Auto-fill pitcher', '자동 채움 물통', 'Small pitcher', '소형 물통');
INSERT INTO controloption VALUES (0, 4, 16, 2, 1, 1, 8, 1, 2, 'Auto-fill pitcher', '자동 채움 물통', 'Large pitcher', '대형 물통');
INSERT INTO controloption VALUES (0, 4, 16, 3, 1, 1, 8, 1, 2, 'Auto-fill pitcher', '자동 채움 물통', 'Infuser pitcher', '인퓨저 물통');
-- Option 17: byte 5, bits 7 to 7
INSERT INTO controloption VALUES (0, -1, 17, 0, 1, 1, 5, 7, 1, 'Door-in-door', '도어 인 도어', 'Not installed', '없음');
INSERT INTO controloption VALUES (0, -1, 17, 1, 1, 1, 5, 7, 1, 'Door-in-door', '도어 인 도어', 'Installed', '있음');
-- Option 18: byte 6, bits 7 to 7
INSERT INTO controloption VALUES (0, -1, 18, 0, 1, 1, 6, 7, 1, 'Rapid cooling', '급속 냉각 기능', 'Disabled', '사용 안 함');
INSERT INTO controloption VALUES (0, -1, 18, 1, 1, 1, 6, 7, 1, 'Rapid cooling', '급속 냉각 기능', 'Enabled', '사용');
-- Option 19: byte 7, bits 1 to 1
INSERT INTO controloption VALUES (1, -1, 19, 0, 1, 1, 7, 1, 1, 'Display demo mode', '전시 모드', 'Off', '끔');
INSERT INTO controloption VALUES (1, -1, 19, 1, 1, 1, 7, 1, 1, 'Display demo mode', '전시 모드', 'On, no cooling', '켬, 냉각 안 함');
-- Option 20: byte 7, bits 2 to 4
INSERT INTO controloption VALUES (0, -1, 20, 0, 1, 1, 7, 2, 3, 'Market region', '판매 지역', 'Korea', '한국');
INSERT INTO controloption VALUES (0, -1, 20, 1, 1, 1, 7, 2, 3, 'Market region', '판매 지역', 'North America', '북미');
INSERT INTO controloption VALUES (0, -1, 20, 2, 1, 1, 7, 2, 3, 'Market region', '판매 지역', 'Europe', '유럽');
INSERT INTO controloption VALUES (0, -1, 20, 3, 1, 1, 7, 2, 3, 'Market region', '판매 지역', 'China', '중국');
INSERT INTO controloption VALUES (0, -1, 20, 4, 1, 1, 7, 2, 3, 'Market region', '판매 지역', 'Middle East', '중동');
INSERT INTO controloption VALUES (0, -1, 20, 5, 1, 1, 7, 2, 3, 'Market region', '판매 지역', 'Southeast Asia', '동남아시아');
INSERT INTO controloption VALUES (0, -1, 20, 6, 1, 1, 7, 2, 3, 'Market region', '판매 지역', 'Latin America', '중남미');
INSERT INTO controloption VALUES (0, -1, 20, 7, 1, 1, 7, 2, 3, 'Market region', '판매 지역', 'Other', '기타');
-- Option 21: byte 8, bits 3 to 4
INSERT INTO controloption VALUES (0, -1, 21, 0, 1, 1, 8, 3, 2, 'Refrigerant', '냉매 종류', 'R-600a', 'R-600a');
INSERT INTO controloption VALUES (0, -1, 21, 1, 1, 1, 8, 3, 2, 'Refrigerant', '냉매 종류', 'R-134a', 'R-134a');
INSERT INTO controloption VALUES (0, -1, 21, 2, 1, 1, 8, 3, 2, 'Refrigerant', '냉매 종류', 'R-290', 'R-290');
INSERT INTO controloption VALUES (0, -1, 21, 3, 1, 1, 8, 3, 2, 'Refrigerant', '냉매 종류', 'Reserved', '예비');
-- Option 22: byte 9, bits 1 to 2
INSERT INTO controloption VALUES (0, -1, 22, 0, 1, 1, 9, 1, 2, 'Deodorizer', '탈취기', 'None', '없음');
INSERT INTO controloption VALUES (0, -1, 22, 1, 1, 1, 9, 1, 2, 'Deodorizer', '탈취기', 'Filter', '필터');
INSERT INTO controloption VALUES (0, -1, 22, 2, 1, 1, 9, 1, 2, 'Deodorizer', '탈취기', 'UV LED', 'UV LED');
INSERT INTO controloption VALUES (0, -1, 22, 3, 1, 1, 9, 1, 2, 'Deodorizer', '탈취기', 'Filter and UV LED', '필터와 UV LED');
-- Option 23: byte 7, bits 5 to 7
INSERT INTO controloption VALUES (0, -1, 23, 0, 1, 1, 7, 5, 3, 'Fan delay after defrost', '제상 후 팬 지연', '0 minutes', '0분');
INSERT INTO controloption VALUES (0, -1, 23, 1, 1, 1, 7, 5, 3, 'Fan delay after defrost', '제상 후 팬 지연', '1 minute', '1분');
INSERT INTO controloption VALUES (0, -1, 23, 2, 1, 1, 7, 5, 3, 'Fan delay after defrost', '제상 후 팬 지연', '2 minutes', '2분');
INSERT INTO controloption VALUES (0, -1, 23, 3, 1, 1, 7, 5, 3, 'Fan delay after defrost', '제상 후 팬 지연', '3 minutes', '3분');
INSERT INTO controloption VALUES (0, -1, 23, 4, 1, 1, 7, 5, 3, 'Fan delay after defrost', '제상 후 팬 지연', '4 minutes', '4분');
INSERT INTO controloption VALUES (0, -1, 23, 5, 1, 1, 7, 5, 3, 'Fan delay after defrost', '제상 후 팬 지연', '5 minutes', '5분');
INSERT INTO controloption VALUES (0, -1, 23, 6, 1, 1, 7, 5, 3, 'Fan delay after defrost', '제상 후 팬 지연', '6 minutes', '6분');
INSERT INTO controloption VALUES (0, -1, 23, 7, 1, 1, 7, 5, 3, 'Fan delay after defrost', '제상 후 팬 지연', '7 minutes', '7분');
-- Option 24: byte 9, bits 3 to 4
INSERT INTO controloption VALUES (0, 1, 24, 0, 1, 1, 9, 3, 2, 'Ice room heater', '제빙실 히터', 'Off', '끔');
INSERT INTO controloption VALUES (0, 1, 24, 1, 1, 1, 9, 3, 2, 'Ice room heater', '제빙실 히터', 'Low', '약');
INSERT INTO controloption VALUES (0, 1, 24, 2, 1, 1, 9, 3, 2, 'Ice room heater', '제빙실 히터', 'Normal', '보통');
INSERT INTO controloption VALUES (0, 1, 24, 3, 1, 1, 9, 3, 2, 'Ice room heater', '제빙실 히터', 'High', '강');
-- Option 25: byte 10, bits 1 to 2
INSERT INTO controloption VALUES (0, 2, 25, 0, 1, 1, 10, 1, 2, 'Water tank', '물탱크', 'None', '없음');
INSERT INTO controloption VALUES (0, 2, 25, 1, 1, 1, 10, 1, 2, 'Water tank', '물탱크', '0.7 L', '0.7리터');
INSERT INTO controloption VALUES (0, 2, 25, 2, 1, 1, 10, 1, 2, 'Water tank', '물탱크', '1.0 L', '1.0리터');
INSERT INTO controloption VALUES (0, 2, 25, 3, 1, 1, 10, 1, 2, 'Water tank', '물탱크', '1.5 L', '1.5리터');
-- Option 26: byte 8, bits 5 to 7
INSERT INTO controloption VALUES (0, -1, 26, 0, 1, 1, 8, 5, 3, 'Kimchi zone program', '김치 보관 프로그램', 'None', '없음');
INSERT INTO controloption VALUES (0, -1, 26, 1, 1, 1, 8, 5, 3, 'Kimchi zone program', '김치 보관 프로그램', 'Standard', '표준');
INSERT INTO controloption VALUES (0, -1, 26, 2, 1, 1, 8, 5, 3, 'Kimchi zone program', '김치 보관 프로그램', 'Sour', '산도 높게');
INSERT INTO controloption VALUES (0, -1, 26, 3, 1, 1, 8, 5, 3, 'Kimchi zone program', '김치 보관 프로그램', 'Mild', '산도 낮게');
INSERT INTO controloption VALUES (0, -1, 26, 4, 1, 1, 8, 5, 3, 'Kimchi zone program', '김치 보관 프로그램', 'Root vegetables', '뿌리채소');
INSERT INTO controloption VALUES (0, -1, 26, 5, 1, 1, 8, 5, 3, 'Kimchi zone program', '김치 보관 프로그램', 'Frozen', '냉동 보관');
INSERT INTO controloption VALUES (0, -1, 26, 6, 1, 1, 8, 5, 3, 'Kimchi zone program', '김치 보관 프로그램', 'Reserved', '예비');
INSERT INTO controloption VALUES (0, -1, 26, 7, 1, 1, 8, 5, 3, 'Kimchi zone program', '김치 보관 프로그램', 'Reserved', '예비');
-- Option 27: byte 9, bits 5 to 7
INSERT INTO controloption VALUES (0, -1, 27, 0, 1, 1, 9, 5, 3, 'Compressor restart delay', '압축기 재기동 지연', '3 minutes', '3분');
INSERT INTO controloption VALUES (0, -1, 27, 1, 1, 1, 9, 5, 3, 'Compressor restart delay', '압축기 재기동 지연', '4 minutes', '4분');
INSERT INTO controloption VALUES (0, -1, 27, 2, 1, 1, 9, 5, 3, 'Compressor restart delay', '압축기 재기동 지연', '5 minutes', '5분');
INSERT INTO controloption VALUES (0, -1, 27, 3, 1, 1, 9, 5, 3, 'Compressor restart delay', '압축기 재기동 지연', '6 minutes', '6분');
INSERT INTO controloption VALUES (0, -1, 27, 4, 1, 1, 9, 5, 3, 'Compressor restart delay', '압축기 재기동 지연', '7 minutes', '7분');
INSERT INTO controloption VALUES (0, -1, 27, 5, 1, 1, 9, 5, 3, 'Compressor restart delay', '압축기 재기동 지연', '8 minutes', '8분');
INSERT INTO controloption VALUES (0, -1, 27, 6, 1, 1, 9, 5, 3, 'Compressor restart delay', '압축기 재기동 지연', '9 minutes', '9분');
INSERT INTO controloption VALUES (0, -1, 27, 7, 1, 1, 9, 5, 3, 'Compressor restart delay', '압축기 재기동 지연', '10 minutes', '10분');
-- Option 28: byte 10, bits 3 to 4
INSERT INTO controloption VALUES (0, 3, 28, 0, 1, 1, 10, 3, 2, 'Ice dispense mode', '얼음 배출 방식', 'Cubed', '각얼음');
INSERT INTO controloption VALUES (0, 3, 28, 1, 1, 1, 10, 3, 2, 'Ice dispense mode', '얼음 배출 방식', 'Crushed', '조각얼음');
INSERT INTO controloption VALUES (0, 3, 28, 2, 1, 1, 10, 3, 2, 'Ice dispense mode', '얼음 배출 방식', 'Cubed and crushed', '각얼음과 조각얼음');
INSERT INTO controloption VALUES (0, 3, 28, 3, 1, 1, 10, 3, 2, 'Ice dispense mode', '얼음 배출 방식', 'Reserved', '예비');
-- Option 29: byte 11, bits 1 to 2
INSERT INTO controloption VALUES (0, -1, 29, 0, 1, 1, 11, 1, 2, 'Mullion heater', '칸막이 히터', 'Off', '끔');
INSERT INTO controloption VALUES (0, -1, 29, 1, 1, 1, 11, 1, 2, 'Mullion heater', '칸막이 히터', 'Low', '약');
INSERT INTO controloption VALUES (0, -1, 29, 2, 1, 1, 11, 1, 2, 'Mullion heater', '칸막이 히터', 'Normal', '보통');
INSERT INTO controloption VALUES (0, -1, 29, 3, 1, 1, 11, 1, 2, 'Mullion heater', '칸막이 히터', 'High', '강');
-- Option 30: byte 11, bits 3 to 4
INSERT INTO controloption VALUES (0, -1, 30, 0, 1, 1, 11, 3, 2, 'Sabbath mode', '안식일 모드', 'Not supported', '지원 안 함');
INSERT INTO controloption VALUES (0, -1, 30, 1, 1, 1, 11, 3, 2, 'Sabbath mode', '안식일 모드', 'Supported', '지원');
INSERT INTO controloption VALUES (0, -1, 30, 2, 1, 1, 11, 3, 2, 'Sabbath mode', '안식일 모드', 'Supported, lamps off', '지원, 조명 끔');
INSERT INTO controloption VALUES (0, -1, 30, 3, 1, 1, 11, 3, 2, 'Sabbath mode', '안식일 모드', 'Reserved', '예비');
-- Option 31: byte 10, bits 5 to 7
INSERT INTO controloption VALUES (0, -1, 31, 0, 1, 1, 10, 5, 3, 'Energy saving level', '절전 단계', 'Off', '끔');
INSERT INTO controloption VALUES (0, -1, 31, 1, 1, 1, 10, 5, 3, 'Energy saving level', '절전 단계', 'Level 1', '1단계');
INSERT INTO controloption VALUES (0, -1, 31, 2, 1, 1, 10, 5, 3, 'Energy saving level', '절전 단계', 'Level 2', '2단계');
INSERT INTO controloption VALUES (0, -1, 31, 3, 1, 1, 10, 5, 3, 'Energy saving level', '절전 단계', 'Level 3', '3단계');
INSERT INTO controloption VALUES (0, -1, 31, 4, 1, 1, 10, 5, 3, 'Energy saving level', '절전 단계', 'Level 4', '4단계');
INSERT INTO controloption VALUES (0, -1, 31, 5, 1, 1, 10, 5, 3, 'Energy saving level', '절전 단계', 'Level 5', '5단계');
INSERT INTO controloption VALUES (0, -1, 31, 6, 1, 1, 10, 5, 3, 'Energy saving level', '절전 단계', 'Level 6', '6단계');
INSERT INTO controloption VALUES (0, -1, 31, 7, 1, 1, 10, 5, 3, 'Energy saving level', '절전 단계', 'Level 7', '7단계');
-- Option 32: byte 11, bits 5 to 7
INSERT INTO controloption VALUES (0, -1, 32, 0, 1, 1, 11, 5, 3, 'Wireless module', '무선 모듈', 'None', '없음');
INSERT INTO controloption VALUES (0, -1, 32, 1, 1, 1, 11, 5, 3, 'Wireless module', '무선 모듈', 'Wi-Fi', '와이파이');
INSERT INTO controloption VALUES (0, -1, 32, 2, 1, 1, 11, 5, 3, 'Wireless module', '무선 모듈', 'Wi-Fi and BLE', '와이파이와 BLE');
INSERT INTO controloption VALUES (0, -1, 32, 3, 1, 1, 11, 5, 3, 'Wireless module', '무선 모듈', 'Wi-Fi, BLE and Zigbee', '와이파이, BLE, 지그비');
INSERT INTO controloption VALUES (0, -1, 32, 4, 1, 1, 11, 5, 3, 'Wireless module', '무선 모듈', 'Reserved', '예비');
INSERT INTO controloption VALUES (0, -1, 32, 5, 1, 1, 11, 5, 3, 'Wireless module', '무선 모듈', 'Reserved', '예비');
INSERT INTO controloption VALUES (0, -1, 32, 6, 1, 1, 11, 5, 3, 'Wireless module', '무선 모듈', 'Reserved', '예비');
INSERT INTO controloption VALUES (0, -1, 32, 7, 1, 1, 11, 5, 3, 'Wireless module', '무선 모듈', 'Reserved', '예비');
-- Option 33: byte 12, bits 1 to 4
INSERT INTO controloption VALUES (1, -1, 33, 0, 1, 1, 12, 1, 4, 'Compressor speed table', '압축기 회전수 테이블', 'Table 0', '테이블 0');
INSERT INTO controloption VALUES (1, -1, 33, 1, 1, 1, 12, 1, 4, 'Compressor speed table', '압축기 회전수 테이블', 'Table 1', '테이블 1');
INSERT INTO controloption VALUES (1, -1, 33, 2, 1, 1, 12, 1, 4, 'Compressor speed table', '압축기 회전수 테이블', 'Table 2', '테이블 2');
INSERT INTO controloption VALUES (1, -1, 33, 3, 1, 1, 12, 1, 4, 'Compressor speed table', '압축기 회전수 테이블', 'Table 3', '테이블 3');
INSERT INTO controloption VALUES (1, -1, 33, 4, 1, 1, 12, 1, 4, 'Compressor speed table', '압축기 회전수 테이블', 'Table 4', '테이블 4');
INSERT INTO controloption VALUES (1, -1, 33, 5, 1, 1, 12, 1, 4, 'Compressor speed table', '압축기 회전수 테이블', 'Table 5', '테이블 5');
INSERT INTO controloption VALUES (1, -1, 33, 6, 1, 1, 12, 1, 4, 'Compressor speed table', '압축기 회전수 테이블', 'Table 6', '테이블 6');
INSERT INTO controloption VALUES (1, -1, 33, 7, 1, 1, 12, 1, 4, 'Compressor speed table', '압축기 회전수 테이블', 'Table 7', '테이블 7');
INSERT INTO controloption VALUES (1, -1, 33, 8, 1, 1, 12, 1, 4, 'Compressor speed table', '압축기 회전수 테이블', 'Table 8', '테이블 8');
INSERT INTO controloption VALUES (1, -1, 33, 9, 1, 1, 12, 1, 4, 'Compressor speed table', '압축기 회전수 테이블', 'Table 9', '테이블 9');
INSERT INTO controloption VALUES (1, -1, 33, 10, 1, 1, 12, 1, 4, 'Compressor speed table', '압축기 회전수 테이블', 'Table 10', '테이블 10');
INSERT INTO controloption VALUES (1, -1, 33, 11, 1, 1, 12, 1, 4, 'Compressor speed table', '압축기 회전수 테이블', 'Table 11', '테이블 11');
INSERT INTO controloption VALUES (1, -1, 33, 12, 1, 1, 12, 1, 4, 'Compressor speed table', '압축기 회전수 테이블', 'Table 12', '테이블 12');
INSERT INTO controloption VALUES (1, -1, 33, 13, 1, 1, 12, 1, 4, 'Compressor speed table', '압축기 회전수 테이블', 'Table 13', '테이블 13');
INSERT INTO controloption VALUES (1, -1, 33, 14, 1, 1, 12, 1, 4, 'Compressor speed table', '압축기 회전수 테이블', 'Table 14', '테이블 14');
INSERT INTO controloption VALUES (1, -1, 33, 15, 1, 1, 12, 1, 4, 'Compressor speed table', '압축기 회전수 테이블', 'Table 15', '테이블 15');
-- Option 34: byte 13, bits 1 to 4
INSERT INTO controloption VALUES (1, -1, 34, 0, 1, 1, 13, 1, 4, 'Defrost heater table', '제상 히터 테이블', 'Table 0', '테이블 0');
INSERT INTO controloption VALUES (1, -1, 34, 1, 1, 1, 13, 1, 4, 'Defrost heater table', '제상 히터 테이블', 'Table 1', '테이블 1');
INSERT INTO controloption VALUES (1, -1, 34, 2, 1, 1, 13, 1, 4, 'Defrost heater table', '제상 히터 테이블', 'Table 2', '테이블 2');
INSERT INTO controloption VALUES (1, -1, 34, 3, 1, 1, 13, 1, 4, 'Defrost heater table', '제상 히터 테이블', 'Table 3', '테이블 3');
INSERT INTO controloption VALUES (1, -1, 34, 4, 1, 1, 13, 1, 4, 'Defrost heater table', '제상 히터 테이블', 'Table 4', '테이블 4');
INSERT INTO controloption VALUES (1, -1, 34, 5, 1, 1, 13, 1, 4, 'Defrost heater table', '제상 히터 테이블', 'Table 5', '테이블 5');
INSERT INTO controloption VALUES (1, -1, 34, 6, 1, 1, 13, 1, 4, 'Defrost heater table', '제상 히터 테이블', 'Table 6', '테이블 6');
INSERT INTO controloption VALUES (1, -1, 34, 7, 1, 1, 13, 1, 4, 'Defrost heater table', '제상 히터 테이블', 'Table 7', '테이블 7');
INSERT INTO controloption VALUES (1, -1, 34, 8, 1, 1, 13, 1, 4, 'Defrost heater table', '제상 히터 테이블', 'Table 8', '테이블 8');
INSERT INTO controloption VALUES (1, -1, 34, 9, 1, 1, 13, 1, 4, 'Defrost heater table', '제상 히터 테이블', 'Table 9', '테이블 9');
INSERT INTO controloption VALUES (1, -1, 34, 10, 1, 1, 13, 1, 4, 'Defrost heater table', '제상 히터 테이블', 'Table 10', '테이블 10');
INSERT INTO controloption VALUES (1, -1, 34, 11, 1, 1, 13, 1, 4, 'Defrost heater table', '제상 히터 테이블', 'Table 11', '테이블 11');
INSERT INTO controloption VALUES (1, -1, 34, 12, 1, 1, 13, 1, 4, 'Defrost heater table', '제상 히터 테이블', 'Table 12', '테이블 12');
INSERT INTO controloption VALUES (1, -1, 34, 13, 1, 1, 13, 1, 4, 'Defrost heater table', '제상 히터 테이블', 'Table 13', '테이블 13');
INSERT INTO controloption VALUES (1, -1, 34, 14, 1, 1, 13, 1, 4, 'Defrost heater table', '제상 히터 테이블', 'Table 14', '테이블 14');
INSERT INTO controloption VALUES (1, -1, 34, 15, 1, 1, 13, 1, 4, 'Defrost heater table', '제상 히터 테이블', 'Table 15', '테이블 15');
-- Option 35: byte 12, bits 5 to 7
INSERT INTO controloption VALUES (1, -1, 35, 0, 1, 1, 12, 5, 3, 'Factory test program', '공장 검사 프로그램', 'Off', '끔');
INSERT INTO controloption VALUES (1, -1, 35, 1, 1, 1, 12, 5, 3, 'Factory test program', '공장 검사 프로그램', 'Cooling test', '냉각 검사');
INSERT INTO controloption VALUES (1, -1, 35, 2, 1, 1, 12, 5, 3, 'Factory test program', '공장 검사 프로그램', 'Defrost test', '제상 검사');
INSERT INTO controloption VALUES (1, -1, 35, 3, 1, 1, 12, 5, 3, 'Factory test program', '공장 검사 프로그램', 'Load check', '부하 점검');
INSERT INTO controloption VALUES (1, -1, 35, 4, 1, 1, 12, 5, 3, 'Factory test program', '공장 검사 프로그램', 'Leak test', '누설 검사');
INSERT INTO controloption VALUES (1, -1, 35, 5, 1, 1, 12, 5, 3, 'Factory test program', '공장 검사 프로그램', 'Reserved', '예비');
INSERT INTO controloption VALUES (1, -1, 35, 6, 1, 1, 12, 5, 3, 'Factory test program', '공장 검사 프로그램', 'Reserved', '예비');
INSERT INTO controloption VALUES (1, -1, 35, 7, 1, 1, 12, 5, 3, 'Factory test program', '공장 검사 프로그램', 'Reserved', '예비');
-- Option 36: byte 13, bits 5 to 7
INSERT INTO controloption VALUES (0, 4, 36, 0, 1, 1, 13, 5, 3, 'Auto-fill flow rate', '자동 채움 유량', 'Level 0', '0단계');
INSERT INTO controloption VALUES (0, 4, 36, 1, 1, 1, 13, 5, 3, 'Auto-fill flow rate', '자동 채움 유량', 'Level 1', '1단계');
INSERT INTO controloption VALUES (0, 4, 36, 2, 1, 1, 13, 5, 3, 'Auto-fill flow rate', '자동 채움 유량', 'Level 2', '2단계');
INSERT INTO controloption VALUES (0, 4, 36, 3, 1, 1, 13, 5, 3, 'Auto-fill flow rate', '자동 채움 유량', 'Level 3', '3단계');
INSERT INTO controloption VALUES (0, 4, 36, 4, 1, 1, 13, 5, 3, 'Auto-fill flow rate', '자동 채움 유량', 'Level 4', '4단계');
INSERT INTO controloption VALUES (0, 4, 36, 5, 1, 1, 13, 5, 3, 'Auto-fill flow rate', '자동 채움 유량', 'Level 5', '5단계');
INSERT INTO controloption VALUES (0, 4, 36, 6, 1, 1, 13, 5, 3, 'Auto-fill flow rate', '자동 채움 유량', 'Level 6', '6단계');
INSERT INTO controloption VALUES (0, 4, 36, 7, 1, 1, 13, 5, 3, 'Auto-fill flow rate', '자동 채움 유량', 'Level 7', '7단계');

COMMIT;
