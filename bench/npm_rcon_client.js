// The npm package `rcon` as peer_bench drives it: its UDP client in challenge mode, which asks for a challenge
// once on connecting and sends every command with it. Arguments: the node_modules folder holding rcon, host,
// port, password. Prints "ready" once the challenge is in; then each line "run N" on standard input sends N
// `status` commands one after another, each when the previous reply is in, and prints one JSON line:
// {"wall_ns": [one a request], "user_us": .., "system_us": .., "errors": ..}, the CPU being this whole
// process's over the block. Ends when its standard input does.
'use strict';

const path = require('path');
const readline = require('readline');

const [modules, host, port, password] = process.argv.slice(2);
const Rcon = require(path.join(modules, 'rcon'));

const kTimeoutMs = 2000;
const kStatusHeader = '--- HLTV Status ---';

const client = new Rcon(host, Number(port), password, {tcp: false, challenge: true});
let ready = false;
// The request in flight: its count down, start time and the block's figures; null between blocks.
let block = null;
const timeout = setTimeout(() => finishRequest(false), kTimeoutMs);
clearTimeout(timeout);

function sendNext() {
    block.started = process.hrtime.bigint();
    timeout.refresh();
    client.send('status');
}

function finishRequest(ok) {
    if (!block)
        return;
    block.wall.push(Number(process.hrtime.bigint() - block.started));
    if (!ok)
        ++block.errors;
    if (block.wall.length < block.count) {
        sendNext();
        return;
    }
    clearTimeout(timeout);
    const cpu = process.cpuUsage(block.cpu);
    const done = block;
    block = null;
    process.stdout.write(JSON.stringify(
        {wall_ns: done.wall, user_us: cpu.user, system_us: cpu.system, errors: done.errors}) + '\n');
}

client.on('auth', () => {
    if (ready)
        return;
    ready = true;
    process.stdout.write('ready\n');
});
client.on('response', (text) => finishRequest(text.includes(kStatusHeader)));
client.on('error', (error) => {
    if (block)
        finishRequest(false);
    else
        process.stderr.write(`npm_rcon_client: ${error.message}\n`);
});

readline.createInterface({input: process.stdin}).on('line', (line) => {
    const match = /^run (\d+)$/.exec(line.trim());
    if (!match || block || !ready)
        return;
    block = {count: Number(match[1]), wall: [], errors: 0, started: 0n, cpu: process.cpuUsage()};
    sendNext();
}).on('close', () => client.disconnect());

client.connect();
