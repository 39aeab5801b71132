#pragma once
// What the program decides for every call into the database client library
// that waits for the server: how long an answer may take, and when all work
// stops for good. How the calls are made and bounded is db/'s own business
// (private/IBCall.h).
namespace IBCall {

// The time-out in seconds for connecting and for each answer of the server;
// 0 waits for ever. 60 until set.
void SetTimeout(int seconds);
int Timeout();

// Stops all work on every connection, from any thread (a signal handler's
// thread): cancels the calls in progress and refuses new work. Never undone.
void Stop();
bool Stopping();

} // namespace IBCall
