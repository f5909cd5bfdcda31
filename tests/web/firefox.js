// Firefox for the browser test: Debian's firefox-esr, launched by puppeteer-core
// over its built-in WebDriver BiDi agent (Debian has no geckodriver), and
// driven by drive_page.py through this process's standard input and output:
// one JSON request a line, {op, ...}, one answer a line, "answer: " and JSON
// {value} or {error}; Firefox's own output, on the same streams, is every other
// line. Ends Firefox when its input ends. Needs an X display: without one
// Firefox gives a page no WebGL.
//   node firefox.js WIDTH HEIGHT
"use strict";
const readline = require("readline");
const puppeteer = require("puppeteer-core");

const [width, height] = process.argv.slice(2).map(Number);

// Nothing of Firefox's own goes to the network, which this machine does not have.
const QUIET = {
  "app.normandy.enabled": false,
  "app.update.auto": false,
  "browser.region.update.enabled": false,
  "messaging-system.rsexperimentloader.enabled": false,
  "network.connectivity-service.enabled": false,
  "services.settings.server": "http://127.0.0.1:9/",
};

async function main() {
  const browser = await puppeteer.launch({
    browser: "firefox", protocol: "webDriverBiDi", executablePath: "/usr/bin/firefox-esr",
    headless: false, args: [`--width=${width}`, `--height=${height}`], defaultViewport: null,
    dumpio: true, extraPrefsFirefox: QUIET,
  });
  const page = (await browser.pages())[0];
  const ops = {
    load: ({ url }) => page.goto(url).then(() => null),
    // The body of a function, as WebDriver's "execute script" takes it.
    script: ({ body, args }) => page.evaluate(`(function () { ${body} }).apply(null, ${JSON.stringify(args)})`),
    keydown: ({ key }) => page.keyboard.down(key),
    keyup: ({ key }) => page.keyboard.up(key),
    click: ({ selector }) => page.click(selector),
    files: async ({ selector, paths }) => (await page.$(selector)).uploadFile(...paths),
  };
  const answer = value => process.stdout.write(`\nanswer: ${JSON.stringify(value)}\n`);
  const lines = readline.createInterface({ input: process.stdin });
  // One request at a time, in order.
  let queue = Promise.resolve();
  lines.on("line", line => {
    queue = queue.then(async () => {
      try {
        const request = JSON.parse(line);
        const value = await ops[request.op](request);
        answer({ value: value === undefined ? null : value });
      } catch (error) {
        answer({ error: String(error && error.message || error) });
      }
    });
  });
  lines.on("close", () => queue.then(() => browser.close()).then(() => process.exit(0)));
}

main().catch(error => {
  console.error(`firefox.js: ${error && error.stack || error}`);
  process.exit(1);
});
