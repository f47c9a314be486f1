// What the channel peer program understands, shared with the tests that start it.
//   test_channel_peer.exe server BASE    serves the channel BASE; sets the event
//                                        BASE + "PeerReady" once it listens
//   test_channel_peer.exe messages FILE  writes the registered message numbers
#pragma once

namespace vpw::test {

constexpr int PEER_REPLY_OFFSET = 1000;
constexpr int PEER_ECHO = 100;      // reply PEER_ECHO + offset with the same payload
constexpr int PEER_EMPTY = 101;     // reply -7 with no payload
constexpr int PEER_TOO_LONG = 102;  // tries a reply one byte over the capacity
constexpr int PEER_SLOW = 103;      // echoes after PEER_SLOW_MS
constexpr int PEER_LOG = 104;       // int32 per earlier wait: its command, or -2 on failure
constexpr int PEER_QUIT = 105;
constexpr int PEER_SLOW_MS = 500;
constexpr int PEER_LOG_FAILURE = -2;

}  // namespace vpw::test
