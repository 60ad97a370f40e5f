// nodemailer's pooled transport, as its users send in bulk: COUNT small
// mails over CONNECTIONS pooled connections with STARTTLS and AUTH PLAIN.
//
//   node nodemailer_bench.js PORT COUNT CONNECTIONS
const nodemailer = require("nodemailer");

const [port, count, connections] = process.argv.slice(2).map(Number);
const transport = nodemailer.createTransport({
    host: "127.0.0.1", port, secure: false, requireTLS: true, pool: true,
    maxConnections: connections, maxMessages: Infinity,
    auth: {user: "bench", pass: "bench"}, tls: {rejectUnauthorized: false},
});
const mail = {
    from: "Bench <sender@bench.test>", to: "rcpt@bench.test",
    subject: "Bulk bench", text: "A small mail.\r\n",
};

const start = process.hrtime.bigint();
let failures = 0;
Promise.all(Array.from({length: count},
                       () => transport.sendMail(mail).catch(() => { failures += 1; })))
    .then(() => {
        const seconds = Number(process.hrtime.bigint() - start) / 1e9;
        console.log(JSON.stringify({seconds, failures}));
        transport.close();
    });
