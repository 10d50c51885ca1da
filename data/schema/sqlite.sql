-- Tables of the groupware database for the embedded SQLite driver. A SQL
-- Server installation has its own tables; these mirror the columns that the
-- record classes read and write. Text columns compare without regard to
-- case (COLLATE NOCASE, ASCII letters), as SQL Server's usual collation
-- does, so that keys, conditions and orders agree on both providers.

-- Office settings of each company (one row per SID_CORPORATE).
CREATE TABLE TM_OFFICE (
  SID_CORPORATE INT NOT NULL,
  ID INT NOT NULL DEFAULT 1,
  Name NVARCHAR(255) COLLATE NOCASE NOT NULL DEFAULT '',
  Mail NVARCHAR(255) COLLATE NOCASE,
  Url NVARCHAR(127) COLLATE NOCASE,
  Tel NVARCHAR(63) COLLATE NOCASE,
  Fax NVARCHAR(63) COLLATE NOCASE,
  loginimg NVARCHAR(255) COLLATE NOCASE,
  loginlogo NVARCHAR(255) COLLATE NOCASE,
  loginmime NVARCHAR(127) COLLATE NOCASE,
  login_design INT,
  login_inputpos NVARCHAR(2) COLLATE NOCASE,
  mailuse NVARCHAR(1) COLLATE NOCASE,
  mailfrom NVARCHAR(1) COLLATE NOCASE,
  mailfromaddr NVARCHAR(255) COLLATE NOCASE,
  pwdlimit INT,
  pwdwarning INT,
  pwdlimitadmin NVARCHAR(1) COLLATE NOCASE,
  isloggingaccess NVARCHAR(3) COLLATE NOCASE,
  SID_TZ NVARCHAR(63) COLLATE NOCASE,
  lang_id NVARCHAR(63) COLLATE NOCASE,
  dst_min INT,
  zip_code1 NVARCHAR(63) COLLATE NOCASE,
  zip_code2 NVARCHAR(63) COLLATE NOCASE,
  address NVARCHAR(255) COLLATE NOCASE,
  _save INT,
  mbloginidsave NVARCHAR(1) COLLATE NOCASE,
  mbloginpwdsave NVARCHAR(1) COLLATE NOCASE,
  mbloginsidterm INT,
  deligetlasttime NVARCHAR(14) COLLATE NOCASE,
  sflg NVARCHAR(1) COLLATE NOCASE,
  deliinterval INT,
  skind NVARCHAR(255) COLLATE NOCASE,
  login_failures_permitted INT,
  login_lock_reset_time INT,
  cost_use_flg NVARCHAR(1) COLLATE NOCASE,
  cretime NVARCHAR(14) COLLATE NOCASE,
  updtime NVARCHAR(14) COLLATE NOCASE,
  PRIMARY KEY (SID_CORPORATE, ID)
);

-- Groups of each company; users point at their default group by ID.
CREATE TABLE TM_GROUP (
  SID_CORPORATE INT NOT NULL,
  ID INT NOT NULL,
  CONST_ID NVARCHAR(84) COLLATE NOCASE,
  GROUPNAME NVARCHAR(255) COLLATE NOCASE NOT NULL DEFAULT '',
  SEQNO INT,
  cretime NVARCHAR(14) COLLATE NOCASE,
  updtime NVARCHAR(14) COLLATE NOCASE,
  PRIMARY KEY (SID_CORPORATE, ID)
);

-- Users of each company. UserID holds "<cid>*<login ID>" (spaces as "/"),
-- or "<cid>* <ID>" for a user without login ID. WORD holds the password
-- digest as self-describing text (under 128 bytes).
CREATE TABLE TM_USER (
  SID_CORPORATE INT NOT NULL,
  ID INT NOT NULL,
  Name NVARCHAR(255) COLLATE NOCASE NOT NULL DEFAULT '',
  UserID NVARCHAR(255) COLLATE NOCASE,
  Mail NVARCHAR(255) COLLATE NOCASE,
  ADMIN NVARCHAR(1) COLLATE NOCASE,
  DEFGROUP INT,
  WORD NVARCHAR(255) COLLATE NOCASE,
  login_failures INT,
  login_fail_time NVARCHAR(14) COLLATE NOCASE,
  Kana NVARCHAR(255) COLLATE NOCASE,
  Office NVARCHAR(255) COLLATE NOCASE,
  Dept1 NVARCHAR(255) COLLATE NOCASE,
  Dept2 NVARCHAR(255) COLLATE NOCASE,
  Post NVARCHAR(255) COLLATE NOCASE,
  postcode NVARCHAR(63) COLLATE NOCASE,
  Tel1 NVARCHAR(63) COLLATE NOCASE,
  Tel2 NVARCHAR(63) COLLATE NOCASE,
  Naisen NVARCHAR(63) COLLATE NOCASE,
  TelFax NVARCHAR(63) COLLATE NOCASE,
  TelHome NVARCHAR(63) COLLATE NOCASE,
  TelOther NVARCHAR(63) COLLATE NOCASE,
  TelHand NVARCHAR(63) COLLATE NOCASE,
  SEQNO INT,
  mailmobile NVARCHAR(255) COLLATE NOCASE,
  mailprivate NVARCHAR(255) COLLATE NOCASE,
  mailother NVARCHAR(255) COLLATE NOCASE,
  mailclosecorp NVARCHAR(1) COLLATE NOCASE,
  mailclosemobile NVARCHAR(1) COLLATE NOCASE,
  mailcloseprivate NVARCHAR(1) COLLATE NOCASE,
  mailcloseother NVARCHAR(1) COLLATE NOCASE,
  mailusecorp NVARCHAR(1) COLLATE NOCASE,
  mailusemobile NVARCHAR(1) COLLATE NOCASE,
  mailuseprivate NVARCHAR(1) COLLATE NOCASE,
  mailuseother NVARCHAR(1) COLLATE NOCASE,
  pwdmoddate NVARCHAR(14) COLLATE NOCASE,
  cretime NVARCHAR(14) COLLATE NOCASE,
  updtime NVARCHAR(14) COLLATE NOCASE,
  gender NVARCHAR(1) COLLATE NOCASE,
  birthday NVARCHAR(8) COLLATE NOCASE,
  zipcode NVARCHAR(63) COLLATE NOCASE,
  address NVARCHAR(255) COLLATE NOCASE,
  suspension_ NVARCHAR(1) COLLATE NOCASE DEFAULT '0',
  PRIMARY KEY (SID_CORPORATE, ID),
  UNIQUE (UserID)
);

-- Time zones that users and offices can choose: identifier and offset from
-- UTC as "+hhmm" (lists sort by cast(TIME_OFFSET as int), then id).
CREATE TABLE LTM_TIMEZONE (
  SID_CORPORATE INT NOT NULL,
  id NVARCHAR(11) COLLATE NOCASE NOT NULL,
  TIME_OFFSET NVARCHAR(63) COLLATE NOCASE,
  PRIMARY KEY (SID_CORPORATE, id)
);
