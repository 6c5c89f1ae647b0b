// Runs the Khronos glTF validator on one file and prints "errors N warnings M", then one line
// per error ("CODE POINTER MESSAGE"). Exits 0 when it ran, whatever it found; 2 when it could
// not run. Buffers and images named by URI are read from the file's folder.
//   node validate-gltf.js VALIDATOR_PACKAGE_FOLDER FILE
'use strict';
const fs = require('fs');
const path = require('path');

if (process.argv.length !== 4) {
    console.error('usage: node validate-gltf.js VALIDATOR_PACKAGE_FOLDER FILE');
    process.exit(2);
}
const validator = require(path.resolve(process.argv[2]));
const file = process.argv[3];
const folder = path.dirname(file);

validator
    .validateBytes(new Uint8Array(fs.readFileSync(file)), {
        uri: path.basename(file),
        maxIssues: 0,
        externalResourceFunction: (uri) =>
            new Promise((resolve, reject) => {
                fs.readFile(path.join(folder, decodeURIComponent(uri)), (err, data) =>
                    err ? reject(err.toString()) : resolve(new Uint8Array(data)));
            }),
    })
    .then((report) => {
        const issues = report.issues;
        console.log(`errors ${issues.numErrors} warnings ${issues.numWarnings}`);
        for (const m of issues.messages)
            if (m.severity === 0)
                console.log(`${m.code} ${m.pointer || m.offset || ''} ${m.message}`);
    })
    .catch((error) => {
        console.error(`validator failed: ${error}`);
        process.exit(2);
    });
