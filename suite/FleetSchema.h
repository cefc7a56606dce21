#pragma once

class SqliteConnection;

// The device database the report SQL, the scheduler and the peer services read: tables,
// reference data (property descriptions, year tables, alert kinds, settings) and the
// indexes that keep the report queries fast.
namespace FleetSchema {
// Creates every table and fills the reference data, in one transaction. With
// withIndexes false the secondary indexes are left for createIndexes (bulk loads).
void create(SqliteConnection& db, bool withIndexes = true);
// Creates the secondary indexes the file lacks (all of them on a bulk load, those added since
// on an older file) and then the planner's statistics; answers how many were created.
int createIndexes(SqliteConnection& db);
// How many of the secondary indexes the file lacks; building them on a large history takes
// minutes, which the caller says before it starts.
int missingIndexes(SqliteConnection& db);
// True when the database already holds the schema (the Devices table exists).
bool exists(SqliteConnection& db);
} // namespace FleetSchema
