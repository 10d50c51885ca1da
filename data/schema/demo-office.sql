-- The demo installation's one office, added after sqlite.sql.
INSERT INTO TM_OFFICE (SID_CORPORATE, ID, Name, SID_TZ, lang_id, cretime, updtime)
VALUES (1, 1, 'Demo office', 'JST', 'ja_JP', '20260101000000', '20260101000000');
