-- Tables of the groupware database for the embedded SQLite driver. A SQL
-- Server installation has its own tables; these mirror the columns that the
-- record classes read and write.

-- Office settings of each company (one row per SID_CORPORATE).
CREATE TABLE TM_OFFICE (
  SID_CORPORATE INT NOT NULL,
  ID INT NOT NULL DEFAULT 1,
  Name NVARCHAR(255) NOT NULL DEFAULT '',
  Mail NVARCHAR(255),
  Url NVARCHAR(127),
  Tel NVARCHAR(63),
  Fax NVARCHAR(63),
  loginimg NVARCHAR(255),
  loginlogo NVARCHAR(255),
  loginmime NVARCHAR(127),
  login_design INT,
  login_inputpos NVARCHAR(2),
  mailuse NVARCHAR(1),
  mailfrom NVARCHAR(1),
  mailfromaddr NVARCHAR(255),
  pwdlimit INT,
  pwdwarning INT,
  pwdlimitadmin NVARCHAR(1),
  isloggingaccess NVARCHAR(3),
  SID_TZ NVARCHAR(63),
  lang_id NVARCHAR(63),
  dst_min INT,
  zip_code1 NVARCHAR(63),
  zip_code2 NVARCHAR(63),
  address NVARCHAR(255),
  _save INT,
  mbloginidsave NVARCHAR(1),
  mbloginpwdsave NVARCHAR(1),
  mbloginsidterm INT,
  deligetlasttime NVARCHAR(14),
  sflg NVARCHAR(1),
  deliinterval INT,
  skind NVARCHAR(255),
  login_failures_permitted INT,
  login_lock_reset_time INT,
  cost_use_flg NVARCHAR(1),
  cretime NVARCHAR(14),
  updtime NVARCHAR(14),
  PRIMARY KEY (SID_CORPORATE, ID)
);

-- Groups of each company; users point at their default group by ID.
CREATE TABLE TM_GROUP (
  SID_CORPORATE INT NOT NULL,
  ID INT NOT NULL,
  CONST_ID NVARCHAR(84),
  GROUPNAME NVARCHAR(255) NOT NULL DEFAULT '',
  SEQNO INT,
  cretime NVARCHAR(14),
  updtime NVARCHAR(14),
  PRIMARY KEY (SID_CORPORATE, ID)
);

-- Users of each company. UserID holds "<cid>*<login ID>" (spaces as "/"),
-- or "<cid>* <ID>" for a user without login ID. WORD holds the password
-- digest as self-describing text (under 128 bytes).
CREATE TABLE TM_USER (
  SID_CORPORATE INT NOT NULL,
  ID INT NOT NULL,
  Name NVARCHAR(255) NOT NULL DEFAULT '',
  UserID NVARCHAR(255),
  Mail NVARCHAR(255),
  ADMIN NVARCHAR(1),
  DEFGROUP INT,
  WORD NVARCHAR(255),
  login_failures INT,
  login_fail_time NVARCHAR(14),
  Kana NVARCHAR(255),
  Office NVARCHAR(255),
  Dept1 NVARCHAR(255),
  Dept2 NVARCHAR(255),
  Post NVARCHAR(255),
  postcode NVARCHAR(63),
  Tel1 NVARCHAR(63),
  Tel2 NVARCHAR(63),
  Naisen NVARCHAR(63),
  TelFax NVARCHAR(63),
  TelHome NVARCHAR(63),
  TelOther NVARCHAR(63),
  TelHand NVARCHAR(63),
  SEQNO INT,
  mailmobile NVARCHAR(255),
  mailprivate NVARCHAR(255),
  mailother NVARCHAR(255),
  mailclosecorp NVARCHAR(1),
  mailclosemobile NVARCHAR(1),
  mailcloseprivate NVARCHAR(1),
  mailcloseother NVARCHAR(1),
  mailusecorp NVARCHAR(1),
  mailusemobile NVARCHAR(1),
  mailuseprivate NVARCHAR(1),
  mailuseother NVARCHAR(1),
  pwdmoddate NVARCHAR(14),
  cretime NVARCHAR(14),
  updtime NVARCHAR(14),
  gender NVARCHAR(1),
  birthday NVARCHAR(8),
  zipcode NVARCHAR(63),
  address NVARCHAR(255),
  suspension_ NVARCHAR(1) DEFAULT '0',
  PRIMARY KEY (SID_CORPORATE, ID),
  UNIQUE (UserID)
);

-- Time zones that users and offices can choose: identifier and offset from
-- UTC as "+hhmm" (lists sort by cast(TIME_OFFSET as int), then id).
CREATE TABLE LTM_TIMEZONE (
  SID_CORPORATE INT NOT NULL,
  id NVARCHAR(11) NOT NULL,
  TIME_OFFSET NVARCHAR(63),
  PRIMARY KEY (SID_CORPORATE, id)
);
