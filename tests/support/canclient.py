# A python-can client for the bridge tests: argv = slcan PTY | socketcand HOST:PORT [BUS] | log FILE.
# Prints OPEN, then runs commands from standard input, one per line:
#   send ID std|ext data|remote HEX|DLC   ->  SENT
#   recv N  ->  N frames (or TIMEOUT)      quiet  ->  a frame, or NONE after 0.3 s
# Frames print as "ID std|ext data|remote DLC HEX".
import sys
import can


def text(m):
    return '%x %s %s %d %s' % (m.arbitration_id, 'ext' if m.is_extended_id else 'std',
                               'remote' if m.is_remote_frame else 'data', m.dlc, m.data.hex())


kind, where = sys.argv[1], sys.argv[2]
if kind == 'log':
    for m in can.LogReader(where):
        print(m.channel, text(m))
    sys.exit(0)
if kind == 'slcan':
    bus = can.Bus(interface='slcan', channel=where, bitrate=500000, sleep_after_open=0)
    # Answered once the commands before it are: the adapter is open then.
    assert all(isinstance(v, int) for v in bus.get_version(5))
else:
    host, port = where.rsplit(':', 1)
    bus = can.Bus(interface='socketcand', host=host, port=int(port), channel=sys.argv[3] if len(sys.argv) > 3 else 'can0')
print('OPEN', flush=True)
for line in sys.stdin:
    w = line.split()
    if w[0] == 'send':
        remote = w[3] == 'remote'
        bus.send(can.Message(arbitration_id=int(w[1], 16), is_extended_id=w[2] == 'ext', is_remote_frame=remote,
                             dlc=int(w[4]) if remote else None, data=None if remote else bytes.fromhex(w[4])))
        print('SENT', flush=True)
    elif w[0] == 'recv':
        for _ in range(int(w[1])):
            m = bus.recv(5)
            print(text(m) if m else 'TIMEOUT', flush=True)
    elif w[0] == 'quiet':
        m = bus.recv(0.3)
        print(text(m) if m else 'NONE', flush=True)
bus.shutdown()
