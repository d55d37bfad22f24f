-- The three tables of Lumora's books. Every text column holds the Base64 form
-- of the text's GB18030 bytes; Program_Date holds yyyy-mm-dd text.
CREATE TABLE Users_Table (
  User_Name     TEXT NOT NULL,
  User_Password TEXT NOT NULL
);
CREATE TABLE Programs_Table (
  Out_Program_Names TEXT NOT NULL DEFAULT '',
  In_Program_Names  TEXT NOT NULL DEFAULT '',
  User_Name         TEXT NOT NULL
);
CREATE TABLE All_Table (
  ID            INTEGER PRIMARY KEY AUTOINCREMENT,
  Program_Date  TEXT NOT NULL,
  Program_Type  TEXT NOT NULL,
  Program_Name  TEXT NOT NULL,
  Program_Money NUMERIC NOT NULL,
  Program_Memo  TEXT NOT NULL DEFAULT '',
  User_Name     TEXT NOT NULL
);
CREATE INDEX All_Table_User_Date ON All_Table (User_Name, Program_Date, Program_Type, ID);
CREATE INDEX Users_Table_Name ON Users_Table (User_Name);
CREATE INDEX Programs_Table_Name ON Programs_Table (User_Name);
-- Deleted ledger records wait here until their owner restores or purges
-- them; ID keeps the record's own number, which is never given out again.
CREATE TABLE Trash_Table (
  ID            INTEGER PRIMARY KEY,
  Program_Date  TEXT NOT NULL,
  Program_Type  TEXT NOT NULL,
  Program_Name  TEXT NOT NULL,
  Program_Money NUMERIC NOT NULL,
  Program_Memo  TEXT NOT NULL DEFAULT '',
  User_Name     TEXT NOT NULL,
  Deleted_At    TEXT NOT NULL
);
CREATE INDEX Trash_Table_User ON Trash_Table (User_Name, Deleted_At);
-- The order number of every imported record (Record_ID is its All_Table
-- ID), so a bill imported twice adds nothing; a row whose record is gone is
-- never joined again.
CREATE TABLE Import_Orders (
  Record_ID     INTEGER PRIMARY KEY,
  Import_Source TEXT NOT NULL,
  Order_No      TEXT NOT NULL
);
CREATE INDEX Import_Orders_No ON Import_Orders (Order_No);
-- What imports remember per user: Rule_Kind "支出"/"收入" maps a counterparty
-- to the category last given, "布局" a bill layout to the columns chosen.
CREATE TABLE Import_Rules (
  User_Name  TEXT NOT NULL,
  Rule_Kind  TEXT NOT NULL,
  Rule_Key   TEXT NOT NULL,
  Rule_Value TEXT NOT NULL,
  PRIMARY KEY (User_Name, Rule_Kind, Rule_Key)
);
-- Each user's searches of the 查找记录 window: the named ones, and the last
-- one under the empty Search_Name. Blank dates are the first and last
-- record's, blank amounts no bound; texts in the stored-text form.
CREATE TABLE Saved_Searches (
  User_Name    TEXT NOT NULL,
  Search_Name  TEXT NOT NULL,
  Search_Words TEXT NOT NULL DEFAULT '',
  Date_From    TEXT NOT NULL DEFAULT '',
  Date_To      TEXT NOT NULL DEFAULT '',
  Program_Type TEXT NOT NULL DEFAULT '',
  Program_Name TEXT NOT NULL DEFAULT '',
  Money_Min    TEXT NOT NULL DEFAULT '',
  Money_Max    TEXT NOT NULL DEFAULT '',
  PRIMARY KEY (User_Name, Search_Name)
);
-- Each user's monthly budget per expense category (names stored as above).
CREATE TABLE Budget_Table (
  User_Name    TEXT NOT NULL,
  Program_Name TEXT NOT NULL,
  Budget_Money NUMERIC NOT NULL,
  PRIMARY KEY (User_Name, Program_Name)
);
-- Each user's recurring entries (rent, salary ...). Cycle is "weekly",
-- "monthly", "quarterly" or "yearly"; End_Date is empty for no end;
-- every occurrence up to Last_Date is saved or skipped (empty: none yet), so
-- none is proposed twice. ID is never given out again.
CREATE TABLE Recurring_Table (
  ID            INTEGER PRIMARY KEY AUTOINCREMENT,
  User_Name     TEXT NOT NULL,
  Program_Type  TEXT NOT NULL,
  Program_Name  TEXT NOT NULL,
  Program_Money NUMERIC NOT NULL,
  Program_Memo  TEXT NOT NULL DEFAULT '',
  Cycle         TEXT NOT NULL,
  Start_Date    TEXT NOT NULL,
  End_Date      TEXT NOT NULL DEFAULT '',
  Last_Date     TEXT NOT NULL DEFAULT ''
);
CREATE INDEX Recurring_Table_User ON Recurring_Table (User_Name);
-- Occurrences after an entry's Last_Date saved or skipped (Skipped = 1) one
-- by one, while an earlier one is still open.
CREATE TABLE Recurring_Handled (
  Recurring_ID INTEGER NOT NULL,
  Handled_Date TEXT NOT NULL,
  Skipped      INTEGER NOT NULL DEFAULT 0,
  PRIMARY KEY (Recurring_ID, Handled_Date)
);
-- Wrong passwords in a row per name (Last_Failure in ms since 1970), so the
-- wait before the next try survives a restart.
CREATE TABLE IF NOT EXISTS Password_Failures (
  User_Name    TEXT PRIMARY KEY,
  Failures     INTEGER NOT NULL,
  Last_Failure INTEGER NOT NULL
);
-- After the whole books were restored from a copy, each member is told at
-- the next login when and to which copy; the row goes once shown.
CREATE TABLE IF NOT EXISTS Restore_Notices (
  User_Name     TEXT NOT NULL,
  Restored_At   TEXT NOT NULL,
  Copy_Taken_At TEXT NOT NULL
);
-- The layout's version; data/unt_clsSchema.cpp upgrades older files to it.
PRAGMA user_version = 7;
